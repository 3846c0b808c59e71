// The % words: keywords with empty handlers, command variables, and the statements and
// macro calls that this version reports as not available.
#include "support/program_run.hpp"

#include <gtest/gtest.h>

namespace vornmac {
namespace {

using testing::joined;
using testing::ProgramRequest;
using testing::ProgramRun;
using testing::run_program;
using testing::TestHome;

// Each program in a home of its own.
ProgramRun run_text(const char *text, testing::Options variables = {}) {
    return testing::run_text(TestHome{}, text, std::move(variables));
}

std::vector<std::string> messages(const ProgramRun &run) {
    std::vector<std::string> out;
    for (const testing::Jump &jump : run.jumps)
        out.push_back(jump.message);
    return out;
}

TEST(Dispatch, EmptyHandlersConsumeOnlyTheirName) {
    EXPECT_EQ(joined(run_text("a %xyz b %ELSE c %then d end").tokens), "a |b |c |d |end ");
    EXPECT_EQ(joined(run_text("%makewindow(1,2) z").tokens), "(|1|,|2|) |z ");
}

TEST(Dispatch, CommandVariablesAreReadAsProgramText) {
    const ProgramRun run = run_text("a %sys_c3 b z", {{"sys_c3", "x &y."}, {"y", "v"}});
    EXPECT_EQ(joined(run.tokens), "a |x |vb |z ");
    EXPECT_EQ(joined(run_text("a %sys_c1 b z").tokens), "a |b |z "); // unset: nothing
}

TEST(Dispatch, MalformedCommandVariablesRaise162And163) {
    const ProgramRun run = run_text("a %sys_x1 b %sys_c9 c %sys_c0 d z");
    EXPECT_EQ(joined(run.tokens), "a |b |c |d |z ");
    ASSERT_EQ(run.jumps.size(), 4u);
    EXPECT_EQ(messages(run)[0], "ERROR #162 : sys_ must be followed by c\n");
    EXPECT_EQ(messages(run)[1], "ERROR #163 : sys_c must be followed by 1 to 5\n");
    EXPECT_EQ(messages(run)[2], "ERROR #163 : sys_c must be followed by 1 to 5\n");
}

TEST(Dispatch, KeywordsMatchInAnyCaseAndOtherNamesCallMacros) {
    const ProgramRun run = run_text("a %LET x=1; %SYS_c1 b &x.");
    ASSERT_GE(run.jumps.size(), 1u);
    EXPECT_EQ(messages(run)[0], "ERROR #2009 : no macro SYS_c1\n");
    EXPECT_EQ(joined(run.tokens), "a |b |1 ");
}

} // namespace
} // namespace vornmac
