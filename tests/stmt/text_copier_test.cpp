// The copiers driven directly on a context's input: what they copy, where they stop, and
// what they hand back.
#include "host/parser_context.hpp"
#include "stmt/text_copier.hpp"
#include "support/test_home.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace vornmac {
namespace {

// A context reading `text` with expansion off, the first token taken. Without a host mark
// errors are reported and the copier goes on.
class Copying {
  public:
    explicit Copying(const char *text)
        : raw_(home_.create(nullptr, text)), context(*static_cast<ParserContext *>(raw_)),
          off_(std::in_place, context) {
        take_token(context);
    }
    ~Copying() {
        off_.reset(); // it restores the switch in the context, so it goes first
        finish_parser(raw_, 2);
    }
    Copying(const Copying &) = delete;
    Copying &operator=(const Copying &) = delete;

    std::string text_of(const StatementText &buffer) {
        char *flat = buffer.chain().flatten();
        std::string result = flat;
        context.pool.free(flat);
        return result;
    }
    std::string current() { return statement_token(context); }
    std::string next() { return take_token(context); }

  private:
    testing::TestHome home_;
    parser_context *raw_;

  public:
    ParserContext &context;

  private:
    std::optional<ExpansionOff> off_;
};

TEST(TextCopier, StatementStopsAtItsSemicolonButNotInsideParentheses) {
    Copying c("f(a;(b;c)) g; rest");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::copy, false);
    EXPECT_EQ(c.text_of(out), "f(a;(b;c)) g");
    EXPECT_EQ(c.current(), "; ");
    EXPECT_EQ(c.next(), "rest\n");
}

TEST(TextCopier, SkippingReadsTheSameTokensAndKeepsNothing) {
    Copying c("%let x = (1;2) ; rest");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::skip, false);
    EXPECT_EQ(c.text_of(out), "");
    EXPECT_EQ(c.current(), "; ");
    EXPECT_EQ(c.next(), "rest\n");
}

TEST(TextCopier, BranchTerminatorFollowsTheFirstWord) {
    Copying c("%let a=1; %foo; text;");
    StatementText out(c.context);
    TextCopier copier(c.context, out);
    copier.start_branch();
    copier.statement(CopyMode::copy, true);
    EXPECT_EQ(std::string(copier.branch_terminator()), ";");
    c.next();
    copier.start_branch();
    copier.statement(CopyMode::copy, true);
    EXPECT_EQ(std::string(copier.branch_terminator()), " ") << "a macro call is no statement";
    c.next();
    copier.start_branch();
    copier.statement(CopyMode::copy, true);
    EXPECT_EQ(std::string(copier.branch_terminator()), " ");
}

TEST(TextCopier, BlockCopiedAsBranchEndsWithEndAndBlank) {
    Copying c("%do; a; %do; b; %end; %end; tail");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::copy, true);
    EXPECT_EQ(c.text_of(out), "%do; a; %do; b; %end; %end ");
    EXPECT_EQ(c.current(), "; ");
    EXPECT_EQ(c.next(), "tail\n");
}

TEST(TextCopier, LoopBodyEndsWithRewindInsteadOfEnd) {
    Copying c("%do; a %if x %then y; %do; b %end; %end; tail");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::loop_body, false);
    EXPECT_EQ(c.text_of(out), "%do; a %if x %then y; %do; b %end; %doend## ");
    EXPECT_EQ(c.next(), "tail\n");
}

TEST(TextCopier, SelectionBranchKeepsItsEndStatement) {
    Copying c("%case a; x %end; tail");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::copy, false);
    EXPECT_EQ(c.text_of(out), "%case a; x %end; ");
}

TEST(TextCopier, EndWithoutSemicolonIsReported) {
    Copying c("%do; a %end b tail");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::skip, false);
    EXPECT_EQ(c.context.errors.raised_count(), 1);
    EXPECT_EQ(c.context.errors.last_number(), 1001);
}

TEST(TextCopier, NestedIfTakesItsElse) {
    Copying c("%if 0 %then p; %else q; r");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::copy, true);
    EXPECT_EQ(c.text_of(out), "%if 0 %then p;%else q");
    EXPECT_EQ(c.current(), "; ");
    EXPECT_EQ(c.next(), "r\n");
}

TEST(TextCopier, NestedIfWithoutElseHandsBackTheTokenReadAhead) {
    Copying c("%if 0 %then p; %put x;");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::copy, true);
    EXPECT_EQ(c.text_of(out), "%if 0 %then p");
    EXPECT_EQ(c.next(), "%");
    EXPECT_EQ(c.next(), "put ");
    EXPECT_EQ(c.next(), "x");
}

TEST(TextCopier, IfNestingIsBounded) {
    std::string deep;
    for (int i = 0; i < 300; ++i)
        deep += "%if 1 %then ";
    deep += "x;";
    Copying c(deep.c_str());
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::copy, true);
    EXPECT_EQ(c.context.errors.last_number(), 4641);
}

TEST(CollectCondition, StopsAtTheWordAndEndsWithTheSentinel) {
    Copying c("1 %eval(2) %then x");
    StatementText out(c.context);
    // The collector takes its own first token: start it on the one already read.
    EXPECT_FALSE(collect_condition(c.context, out, "then", false).stopped_at_semicolon);
    EXPECT_EQ(c.text_of(out), "(%eval(2) )\x01\x01");
    EXPECT_EQ(c.next(), "x\n");
}

TEST(CollectCondition, StopsAtASemicolonWhenAsked) {
    Copying c("x a < b; rest");
    StatementText out(c.context);
    EXPECT_TRUE(collect_condition(c.context, out, "by", true).stopped_at_semicolon);
    EXPECT_EQ(c.text_of(out), "(a < b)\x01\x01");
    EXPECT_EQ(c.next(), "rest\n");
}

} // namespace
} // namespace vornmac
