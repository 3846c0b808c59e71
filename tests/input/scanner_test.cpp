// The scanner seen from a host: token shapes, comments, references and % words.
#include "support/program_run.hpp"

#include <gtest/gtest.h>

namespace vornmac {
namespace {

using testing::joined;
using testing::ProgramRequest;
using testing::ProgramRun;
using testing::run_program;
using testing::run_text;
using testing::TestHome;

std::string tokens_of(const char *text, testing::Options variables = {},
                      testing::Options options = {}) {
    return joined(run_text(TestHome(options), text, std::move(variables)).tokens);
}

TEST(Scanner, TokensCarryTheirWhiteSpaceUpToTheFirstLineFeed) {
    // Line feeds reach the host as blanks; the bottom source ends with one extra.
    EXPECT_EQ(tokens_of("x;  y\n\nz"), "x|;  |y | |z ");
    EXPECT_EQ(tokens_of("alpha_1 (beta)"), "alpha_1 |(|beta|) ");
}

TEST(Scanner, CommentsNeverReachTheHost) {
    EXPECT_EQ(tokens_of("a /* note */ b"), "a |b ");
    EXPECT_EQ(tokens_of("a / * spaced * / still */ b"), "a |b ");
    EXPECT_EQ(tokens_of("a /* /* not nested */ b */"), "a |b |*|/ ");
}

TEST(Scanner, ReferencesAreReplacedByTheirValues) {
    const testing::Options x{{"x", "ab"}, {"y", "x"}, {"name", "y"}};
    EXPECT_EQ(tokens_of("&x. c", x), "ab |c ");
    EXPECT_EQ(tokens_of("[&x.]", x), "[|ab|] ");
    EXPECT_EQ(tokens_of("&x y", x), "ab |y ");
    EXPECT_EQ(tokens_of("pre&x.post z", x), "preabpost |z ");
    EXPECT_EQ(tokens_of("&&y. z", x), "x |z ");
    EXPECT_EQ(tokens_of("&&&name. z", x), "x |z ");
}

TEST(Scanner, TriggersFollowedByWhiteSpaceAreText) {
    EXPECT_EQ(tokens_of("a & b % c"), "a |& |b |% |c ");
}

TEST(Scanner, PercentQuotesACharacter) {
    EXPECT_EQ(tokens_of("%(a%) %' %\" %% z"), "(|a|) |' |\" |% |z ");
}

TEST(Scanner, QuotesStopExpansionUnlessConfigured) {
    const testing::Options x{{"x", "ab"}};
    EXPECT_EQ(tokens_of("'&x' &x z", x), "'|&|x|' |ab |z ");
    EXPECT_EQ(tokens_of("'&x' &x z", x, {{"_expand_macros_in_quotes", "yes"}}), "'|ab|' |ab |z ");
}

TEST(Scanner, UpperCaseOptionLowersWords) {
    EXPECT_EQ(tokens_of("Hello WORLD", {}, {{"_upper", "yes"}}), "hello |world ");
    EXPECT_EQ(tokens_of("Hello WORLD", {}, {{"_upper", "no"}}), "Hello |WORLD ");
}

TEST(Scanner, LongWordsAreCutAtTheBufferBound) {
    const std::string word(300, 'w');
    const std::string tokens = tokens_of(word.c_str());
    EXPECT_EQ(tokens, std::string(199, 'w') + "|" + std::string(101, 'w') + " ");
}

TEST(Scanner, UndefinedReferenceRaisesAndScanningGoesOn) {
    const ProgramRun run = run_text(TestHome{}, "a &nope b c");
    EXPECT_EQ(joined(run.tokens), "a |b |c ");
    ASSERT_EQ(run.jumps.size(), 2u);
    EXPECT_EQ(run.jumps[0].value, 1);
    EXPECT_EQ(run.jumps[0].message, "ERROR #2021 : undefined variable nope \n");
}

// The white space after "%(" is more than a token holds: the rest starts the next token,
// exactly as after a plain "(", and no character is lost.
TEST(Scanner, QuotedCharacterKeepsAllOfALongWhiteRun) {
    TestHome home;
    const std::string white(250, ' ');
    const ProgramRun with_percent = run_text(home, "%(" + white + "x\n");
    const ProgramRun without = run_text(home, "(" + white + "x\n");
    EXPECT_EQ(joined(with_percent.tokens, ""), joined(without.tokens, ""));
    EXPECT_EQ(joined(with_percent.tokens, "").size(), 253u);
}

// A marker read from a program file acts as in stored text; neither byte reaches the host.
TEST(Scanner, MarkersInAProgramFileNeverReachTheHost) {
    TestHome home;
    home.write("prog.vm", "a \x01\x03 &x \x01\x04&x. b\n");
    ProgramRequest request;
    const std::string file = home.path("prog.vm");
    request.file = file.c_str();
    request.variables = {{"x", "v"}};
    const testing::ProgramRun run = run_program(home, request);
    ASSERT_EQ(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].message, "ERROR #173 : input exhausted\n");
    EXPECT_EQ(joined(run.tokens), "a | |&|x |v |b ");
}

} // namespace
} // namespace vornmac
