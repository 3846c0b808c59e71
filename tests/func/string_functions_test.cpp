// The string functions: the pure word, substring, search and name rules, and whole calls
// with texts too long for an argument, run as a host runs them.
#include "func/search_functions.hpp"
#include "func/variable_functions.hpp"
#include "func/word_functions.hpp"
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace vornmac {
namespace {

// The plain cases are covered by tests/programs/strings (scan, substr, index, makevar).
TEST(ScanWord, EveryDelimiterByteSeparatesWords) {
    EXPECT_EQ(scan_word("a b c", 3, default_delimiters), "c");
    EXPECT_EQ(scan_word("a..b", 3, "."), "b");
    EXPECT_EQ(scan_word("a b", -1, default_delimiters), "");
    EXPECT_EQ(scan_word(" a", 1, " "), "");
    EXPECT_EQ(scan_word("x(y)z", 2, default_delimiters), "y");
    EXPECT_EQ(scan_word("abc", INT32_MAX, " "), "");
}

TEST(ScanWord, AQuotedTextKeepsItsMarkerPairAroundTheWord) {
    const auto quoted = [](const std::string &text) { return "\x01\x03" + text + "\x01\x04"; };
    for (const auto &[number, word] : {std::pair{1, "a"}, {2, "b"}, {3, "c"}})
        EXPECT_EQ(scan_word(quoted("a b c"), number, " "), quoted(word));
}

TEST(StringRules, SubstringBoundsSearchCaseAndMarkedNames) {
    EXPECT_EQ(substring("abc", 3, -1), "");
    EXPECT_EQ(substring("abcdef", INT32_MIN, 2), "ab");
    EXPECT_EQ(substring("abcdef", 6, INT32_MAX), "f");
    EXPECT_EQ(index_of("aBc", "b"), 0);
    EXPECT_EQ(name_or_marked("_x"), "_x ");
    EXPECT_EQ(name_or_marked("a b"), "^a b^ ");
    EXPECT_EQ(name_or_marked("a-b"), "^a-b^ ");
    EXPECT_EQ(name_or_marked(""), " ");
}

struct Outcome {
    std::string tokens;
    std::vector<std::string> errors;
};

Outcome run(const char *text, testing::Options variables) {
    const testing::ProgramRun run =
        testing::run_text(testing::TestHome{}, text, std::move(variables));
    Outcome outcome{testing::joined(run.tokens), {}};
    for (const testing::Jump &jump : run.jumps)
        outcome.errors.push_back(jump.message);
    return outcome;
}

// Texts of %str, values of %indexvar and an operand of an expression.
TEST(StringFunctions, ArgumentsLongerThanAChainHoldsDeliverNothingAndRaise4631) {
    const std::string big(40000, 'a');
    const Outcome str = run("x %str(&big.) y", {{"big", big}});
    EXPECT_EQ(str.tokens, "x |y ");
    ASSERT_EQ(str.errors.size(), 2u);
    EXPECT_EQ(str.errors[0], "ERROR #4631 : %Nrstr or %Str: text too long\n");
    // Two values that together would pass 65534 bytes.
    const Outcome index = run("x %indexvar(big big,a) y", {{"big", big}});
    EXPECT_EQ(index.tokens, "x |y ");
    ASSERT_EQ(index.errors.size(), 2u);
    EXPECT_EQ(index.errors[0], "ERROR #4631 : %Index: text too long\n");
    const Outcome eval = run("%eval(&big.) y", {{"big", std::string(33000, 'b')}});
    EXPECT_EQ(eval.tokens, "|y "); // the error comes before the first token
    ASSERT_EQ(eval.errors.size(), 2u);
    EXPECT_EQ(eval.errors[0], "ERROR #4631 : An expression: text too long\n");
}

TEST(StringFunctions, CountsOfLongValuesAreNotBoundByTheChain) {
    const std::string big(40000, '|');
    EXPECT_EQ(
        run("%lengthvar(big big) %indexvarcount(big big) %countcharvar(|,big) x", {{"big", big}})
            .tokens,
        "80000 |80000 |40000 |x ");
}

} // namespace
} // namespace vornmac
