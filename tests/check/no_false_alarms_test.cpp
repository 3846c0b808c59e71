// The checker must stay silent on programs that run without errors: the examples, the
// manual's programs whose output shows no error, and the golden program cases that end
// without a jump. The few that show a pitfall on purpose are listed with the reason.
#include "check/program_checker.hpp"
#include "docs/manual_examples.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

using namespace vornmac::check;
namespace fs = std::filesystem;

const fs::path source_root = fs::path(GOLDEN_CASES_DIR) / ".." / "..";

std::string read_file(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Programs meant to show a pitfall or a fault, by name (a manual's program by its first
// line): the first finding they give, and why.
struct MeantToFail {
    const char *first_finding;
    const char *reason;
};
const std::map<std::string, MeantToFail> meant_to_fail = {
    {"language.md: a %xyz b %makewindow(1,2) %chdir somewhere;",
     {"stray-else", "the manual shows that %else, %then and %end alone do nothing"}},
    {"language.md: first",
     {"internal-keyword", "the manual shows what a %doend written in a file does"}},
    {"dispatch/empty_handlers", {"stray-else", "shows that %else and %then alone do nothing"}},
    {"conditionals/text_condition_is_true",
     {"dropped-at-end",
      "its last %if is dropped at the end; its condition is false, so nothing shows"}},
    {"conditionals/input_ends_in_condition",
     {"if-without-then", "the input ends in the condition"}},
    {"conditionals/input_ends_in_branch", {"unclosed-branch", "the input ends in the branch"}},
    {"loops/input_ends_in_body", {"unclosed-do", "the input ends in the loop body"}},
    {"strings/unfinished_list", {"unbalanced-parens", "the input ends in the argument list"}},
    {"macros/search_order",
     {"unknown-macro", "calls macros of libraries the case puts in its home"}},
    {"macros/nested_definition",
     {"unknown-macro", "calls macros of libraries the case puts in its home"}},
};

struct Checked {
    int programs = 0;
    std::vector<std::string> unexpected;
};

void check_program(const std::string &name, const std::string &text, Checked &checked) {
    ProgramChecker checker({});
    checker.check(name, text);
    ++checked.programs;
    std::string found;
    for (const Finding &finding : checker.finish())
        found += (found.empty() ? "" : " ") + finding.name + "@" + std::to_string(finding.line) +
                 ":" + std::to_string(finding.column);
    const auto meant = meant_to_fail.find(name);
    if (meant != meant_to_fail.end() ? found.rfind(meant->second.first_finding, 0) != 0
                                     : !found.empty())
        checked.unexpected.push_back(name + ": " + (found.empty() ? "nothing" : found));
}

TEST(NoFalseAlarms, ExamplesManualAndGoldenCasesThatRunWell) {
    Checked checked;
    for (const auto &entry : fs::directory_iterator(source_root / "examples"))
        if (entry.path().extension() == ".vm")
            check_program(entry.path().filename().string(), read_file(entry.path()), checked);

    const auto manual =
        vornmac::docs::parse_manual(read_file(source_root / "docs" / "language.md"));
    for (const auto &example : manual.examples)
        if (example.expected_output.find("ERROR #") == std::string::npos)
            check_program("language.md: " + example.program.substr(0, example.program.find('\n')),
                          example.program, checked);

    for (const auto &area : fs::directory_iterator(GOLDEN_CASES_DIR)) {
        if (!area.is_directory()) continue;
        for (const auto &golden : fs::directory_iterator(area.path())) {
            const fs::path program = golden.path() / "program";
            const std::string tokens = read_file(golden.path() / "expected.tokens");
            if (!fs::exists(program) || tokens.find("\njump") != std::string::npos ||
                tokens.rfind("jump", 0) == 0 || tokens.find("abort") != std::string::npos)
                continue;
            check_program(area.path().filename().string() + "/" + golden.path().filename().string(),
                          read_file(program), checked);
        }
    }
    EXPECT_GT(checked.programs, 100);
    EXPECT_EQ(checked.unexpected, std::vector<std::string>{})
        << checked.programs << " programs checked";
}

} // namespace
