// Reference cycles end with error 4609, judged by structure and not by the amount of work:
// only substitutions nested one in another without a token in between are counted.
#include "host/parser_context.hpp"
#include "support/program_run.hpp"
#include "vornmac/vornmac.h"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

using testing::joined;
using testing::ProgramRequest;
using testing::ProgramRun;
using testing::run_program;
using testing::TestHome;

std::string name(int i) {
    return "x" + std::to_string(i);
}

// Many substitutions one after another, none producing anything: long work, no cycle.
TEST(ReferenceCycle, ManySilentReferencesInARowAreNotACycle) {
    TestHome home;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "&e.";
    text += "done again\n";
    ProgramRequest request;
    request.text = text.c_str();
    request.variables = {{"e", ""}};
    ProgramRun run = run_program(home, request);
    EXPECT_EQ(joined(run.tokens), "done |again ");
    ASSERT_EQ(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].message, "ERROR #173 : input exhausted\n");
}

// Each variable refers to the next at its very end, but produces a token first.
TEST(ReferenceCycle, ChainThatProducesTokensIsNotACycle) {
    TestHome home;
    ProgramRequest request;
    request.text = "&x0 end\n";
    for (int i = 0; i < 200; ++i)
        request.variables.emplace_back(name(i), "t &" + name(i + 1));
    request.variables.emplace_back(name(200), "last");
    const ProgramRun run = run_program(home, request);
    ASSERT_EQ(run.tokens.size(), 202u);
    EXPECT_EQ(run.tokens[199], "t ");
    EXPECT_EQ(run.tokens[200], "last ");
    EXPECT_EQ(run.jumps.size(), 1u) << run.jumps.front().message;
}

// Without a token in between, a chain of distinct variables nests like a cycle does: it
// is stopped where nested sources would fill the stack.
TEST(ReferenceCycle, SilentChainDeeperThanTheStackIsStopped) {
    TestHome home;
    ProgramRequest request;
    request.text = "a &x0 b\n";
    for (int i = 0; i < 100; ++i)
        request.variables.emplace_back(name(i), "&" + name(i + 1));
    request.variables.emplace_back(name(100), "deep");
    const ProgramRun run = run_program(home, request);
    ASSERT_FALSE(run.jumps.empty());
    EXPECT_EQ(run.jumps[0].message, "ERROR #4609 : reference cycle at x75 after 76\n");
    EXPECT_EQ(joined(run.tokens), "a |b ");
}

// A host without a recovery mark gets control back too: the error is reported and the
// reference produces nothing.
TEST(ReferenceCycle, HostWithoutAMarkGetsControlBack) {
    TestHome home;
    parser_context *ctx = home.create(nullptr, "a &x b c\n");
    ASSERT_NE(ctx, nullptr);
    call_savemacrochar(ctx, 0, "x", "&y");
    call_savemacrochar(ctx, 0, "y", "&x");
    char first[200];
    start_parser_module(ctx, first);
    EXPECT_STREQ(first, "a ");
    EXPECT_STREQ(addnextoken(ctx), "b ");
    EXPECT_EQ(static_cast<ParserContext *>(ctx)->errors.last_number(), 4609);
    call_gettoken(ctx);
    EXPECT_STREQ(addnextoken(ctx), "c ");
    finish_parser(ctx, 2);
}

} // namespace
} // namespace vornmac
