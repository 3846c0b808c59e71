// The copiers driven directly on a context's input: what they copy, where they stop, and
// what they hand back.
#include "host/parser_context.hpp"
#include "stmt/text_copier.hpp"
#include "support/test_home.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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

// What one statement copies and the tokens left for the reader after it: the current one
// (when given) and those taken next.
TEST(TextCopier, CopiesOneStatementAndStopsAfterIt) {
    const struct {
        const char *text;
        CopyMode mode;
        bool in_branch;
        const char *copied;
        const char *current;
        std::vector<std::string> next;
    } cases[] = {
        // A semicolon inside parentheses does not end the statement.
        {"f(a;(b;c)) g; rest", CopyMode::copy, false, "f(a;(b;c)) g", "; ", {"rest\n"}},
        // Skipping reads the same tokens and keeps nothing.
        {"%let x = (1;2) ; rest", CopyMode::skip, false, "", "; ", {"rest\n"}},
        // A block copied as a branch ends with its %end and a blank.
        {"%do; a; %do; b; %end; %end; tail",
         CopyMode::copy,
         true,
         "%do; a; %do; b; %end; %end ",
         "; ",
         {"tail\n"}},
        // A loop body ends with the rewind instead of its %end.
        {"%do; a %if x %then y; %do; b %end; %end; tail",
         CopyMode::loop_body,
         false,
         "%do; a %if x %then y; %do; b %end; %doend## ",
         nullptr,
         {"tail\n"}},
        // A selection branch keeps its %end statement.
        {"%case a; x %end; tail", CopyMode::copy, false, "%case a; x %end; ", nullptr, {}},
        // A nested %if takes its %else; without one, it hands back the token read ahead.
        {"%if 0 %then p; %else q; r", CopyMode::copy, true, "%if 0 %then p;%else q", "; ", {"r\n"}},
        {"%if 0 %then p; %put x;",
         CopyMode::copy,
         true,
         "%if 0 %then p",
         nullptr,
         {"%", "put ", "x"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        Copying copying(c.text);
        StatementText out(copying.context);
        TextCopier(copying.context, out).statement(c.mode, c.in_branch);
        EXPECT_EQ(copying.text_of(out), c.copied);
        if (c.current != nullptr) {
            EXPECT_EQ(copying.current(), c.current);
        }
        for (const std::string &token : c.next)
            EXPECT_EQ(copying.next(), token);
    }
}

// A statement's branch ends at its ";", a macro call's or a text's at a blank.
TEST(TextCopier, BranchTerminatorFollowsTheFirstWord) {
    Copying c("%let a=1; %foo; text; end");
    StatementText out(c.context);
    TextCopier copier(c.context, out);
    for (const std::string terminator : {";", " ", " "}) {
        copier.start_branch();
        copier.statement(CopyMode::copy, true);
        EXPECT_EQ(copier.branch_terminator(), terminator);
        c.next();
    }
}

TEST(TextCopier, EndWithoutSemicolonIsReported) {
    Copying c("%do; a %end b tail");
    StatementText out(c.context);
    TextCopier(c.context, out).statement(CopyMode::skip, false);
    EXPECT_EQ(c.context.errors.raised_count(), 1);
    EXPECT_EQ(c.context.errors.last_number(), 1001);
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

// The collector takes its own first token: it is started on the one already read. It stops
// at the word, or at a semicolon when asked, and ends the text with the sentinel.
TEST(CollectCondition, StopsAtTheWordOrASemicolonAndEndsWithTheSentinel) {
    Copying c("1 %eval(2) %then x");
    StatementText out(c.context);
    EXPECT_FALSE(collect_condition(c.context, out, "then", false).stopped_at_semicolon);
    EXPECT_EQ(c.text_of(out), "(%eval(2) )\x01\x01");
    EXPECT_EQ(c.next(), "x\n");
    Copying d("x a < b; rest");
    StatementText until_semicolon(d.context);
    EXPECT_TRUE(collect_condition(d.context, until_semicolon, "by", true).stopped_at_semicolon);
    EXPECT_EQ(d.text_of(until_semicolon), "(a < b)\x01\x01");
    EXPECT_EQ(d.next(), "rest\n");
}

} // namespace
} // namespace vornmac
