// Tracing must never change what a program does, and every event must be well formed,
// whatever the program: arbitrary text, errors, macros that call themselves to the bound.
#include "support/program_run.hpp"
#include "support/random_text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace vornmac {
namespace {

using testing::joined;
using testing::ProgramRequest;
using testing::ProgramRun;
using testing::random_text;
using testing::TestHome;

struct SeenEvents {
    int count = 0;
    int deepest = 0;
    std::vector<std::string> faults;
};

void check_event(void *user, const vornmac_trace_event *e) {
    auto &seen = *static_cast<SeenEvents *>(user);
    ++seen.count;
    seen.deepest = std::max<int>(seen.deepest, e->depth);
    const auto fault = [&](const char *what) { seen.faults.push_back(what); };
    if (e->kind < VORNMAC_TRACE_STATEMENT || e->kind > VORNMAC_TRACE_COMMAND_VARIABLE)
        fault("kind out of range");
    if (e->name == nullptr || e->source_name == nullptr) fault("null name");
    if (e->depth < 0 || e->line < 0 || e->source_index < 0) fault("negative position");
    if (e->text == nullptr ? e->text_length != 0 : std::strlen(e->text) != e->text_length)
        fault("text length");
    if (e->argument_count < 0 || (e->argument_count > 0 && e->kind != VORNMAC_TRACE_MACRO))
        fault("arguments outside a macro call");
    for (int i = 0; i < e->argument_count; ++i)
        if (e->argument_names[i] == nullptr || e->argument_values[i] == nullptr)
            fault("null argument");
}

std::string jumps_of(const ProgramRun &run) {
    std::string out;
    for (const auto &jump : run.jumps)
        out += std::to_string(jump.value) + " " + jump.message;
    return out;
}

TEST(Trace, ArbitraryProgramsRunAlikeTracedAndNot) {
    std::mt19937 random(1207);
    TestHome home;
    for (int round = 0; round < 150; ++round) {
        const std::string text = random_text(random, 5 + round % 60);
        ProgramRequest request;
        request.text = text.c_str();
        request.variables = {{"x", random_text(random, 8)},
                             {"y", "%eval(1+&x)"},
                             {"sys_c1", random_text(random, 8)}};
        request.max_tokens = 400;
        const ProgramRun plain = run_program(home, request);
        SeenEvents seen;
        request.trace = check_event;
        request.trace_user = &seen;
        const ProgramRun traced = run_program(home, request);
        ASSERT_EQ(joined(plain.tokens), joined(traced.tokens)) << "round " << round;
        ASSERT_EQ(jumps_of(plain), jumps_of(traced)) << "round " << round;
        ASSERT_TRUE(seen.faults.empty()) << seen.faults.front() << " in round " << round;
    }
}

TEST(Trace, MacroCallingItselfToTheBoundEndsCleanly) {
    TestHome home;
    const std::string lib = home.path("lib");
    const std::string slot = lib + ".mac";
    const char *names[] = {"_errorfile", "_macromacro", "_macro1"};
    const char *values[] = {"test.msg", lib.c_str(), slot.c_str()};
    ASSERT_EQ(0, vornmac_write_variable_file(home.options_file().c_str(), 3, names, values));
    ProgramRequest request;
    request.text = "%macro r[n]; &n %r[&n.x]; %mend; %r[a]; after\n";
    SeenEvents seen;
    request.trace = check_event;
    request.trace_user = &seen;
    const ProgramRun run = run_program(home, request);
    EXPECT_TRUE(seen.faults.empty());
    // Each level reports its reference and its call, until the levels run out (2041).
    EXPECT_GT(seen.count, 2 * 70);
    EXPECT_LE(seen.deepest, 80);
    EXPECT_NE(jumps_of(run).find("2041"), std::string::npos) << jumps_of(run);
    EXPECT_NE(joined(run.tokens).find("after"), std::string::npos);
}

} // namespace
} // namespace vornmac
