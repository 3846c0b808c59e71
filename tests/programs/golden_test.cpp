// Whole programs run through the C interface and compared with hand-derived expectations:
// one test per case directory below this one (see golden_case.hpp for the case format).
#include "golden_case.hpp"
#include "golden_host.hpp"
#include "golden_text.hpp"
#include "support/small_stack.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace golden {
namespace {

// A scanner that loops inside one call would hang the run; the alarm ends it instead.
constexpr unsigned case_time_limit_seconds = 20;

// An absolute path from the build: __FILE__ is relative when ccache rewrites paths.
std::filesystem::path cases_root() {
    return GOLDEN_CASES_DIR;
}

std::vector<std::string> discover_cases() {
    std::vector<std::string> cases;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(cases_root()))
        if (entry.is_directory() && std::filesystem::exists(entry.path() / "expected.tokens"))
            cases.push_back(std::filesystem::relative(entry.path(), cases_root()).string());
    std::sort(cases.begin(), cases.end());
    return cases;
}

std::string test_name(const testing::TestParamInfo<std::string> &info) {
    std::string name = info.param;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

std::string numbered(const std::vector<std::string> &lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i)
        out += std::to_string(i + 1) + ": " + escape(lines[i]) + "\n";
    return out;
}

// Each expected line is a pattern for the actual line in its place.
void expect_lines(const char *what, const std::vector<std::string> &want,
                  const std::vector<std::string> &got) {
    bool same = want.size() == got.size();
    for (std::size_t i = 0; same && i < want.size(); ++i)
        same = glob_match(want[i], got[i]);
    EXPECT_TRUE(same) << what << " differs\n--- expected\n"
                      << numbered(want) << "--- actual\n"
                      << numbered(got);
}

// The log's lines must end with carriage return and line feed; they are compared without
// the carriage return, line by line with the expected patterns.
void expect_log(const std::string &expected, const std::string &actual) {
    for (std::size_t at = actual.find('\n'); at != std::string::npos;
         at = actual.find('\n', at + 1))
        EXPECT_TRUE(at > 0 && actual[at - 1] == '\r')
            << "log line feed without carriage return at byte " << at;
    std::string folded = actual;
    replace_all(folded, "\r\n", "\n");
    expect_lines("log", split_lines(expected), split_lines(folded));
}

class GoldenProgram : public testing::TestWithParam<std::string> {};

TEST_P(GoldenProgram, HostSeesExpectedTokensErrorsAndLog) {
    const GoldenCase c = load_case(cases_root() / GetParam());
    const std::string messages = read_file(cases_root() / "test.msg");
    alarm(case_time_limit_seconds);
    // In as small a stack as a host's thread may have: no program may run out of it.
    HostRun run;
    vornmac::testing::run_in_small_stack([&] { run = GoldenHost(c, messages).run(); });
    alarm(0);
    ASSERT_TRUE(run.started) << "init_parser returned no context";
    for (const std::string &fault : run.protocol_faults)
        ADD_FAILURE() << fault;
    EXPECT_TRUE(events_match(c.expected_events, 0, run.events, 0))
        << "events differ\n--- expected\n"
        << render_events(c.expected_events) << "--- actual\n"
        << render_events(run.events);
    for (std::size_t i = 0; i < c.expected_vars.size(); ++i)
        EXPECT_TRUE(glob_match(c.expected_vars[i].value, run.final_vars[i].value))
            << c.expected_vars[i].name << ": expected \"" << escape(c.expected_vars[i].value)
            << "\", got \"" << escape(run.final_vars[i].value) << "\"";
    if (c.expected_log) expect_log(*c.expected_log, run.log);
    if (c.expected_trace) {
        std::vector<std::string> want;
        for (const std::string &line : split_lines(*c.expected_trace))
            if (!line.starts_with("#")) want.push_back(line);
        expect_lines("trace", want, run.trace);
    }
    if (c.expected_stdout) {
        EXPECT_EQ(escape(*c.expected_stdout), escape(run.standard_output)) << "standard output";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenProgram, testing::ValuesIn(discover_cases()), test_name);

} // namespace
} // namespace golden
