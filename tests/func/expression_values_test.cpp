// The value rules of expressions: texts read as integers, the number test, and the text
// comparison with its marker and white-space rules.
#include "func/expression_values.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace vornmac {
namespace {

// A sign, white space and digits; the value wraps at 32 bits. A text that is no number
// still gives the digits read before the first other character.
TEST(ReadInteger, SignWhiteSpaceAndDigitsWrappingAtThirtyTwoBits) {
    const struct {
        const char *text;
        bool number;
        int32_t value;
    } cases[] = {{"", true, 0},           {"-", true, 0},
                 {"- 12 ", true, -12},    {"\t007", true, 7},
                 {"12a", false, 12},      {"2147483648", true, INT32_MIN},
                 {"4294967297", true, 1}, {"-2147483648", true, INT32_MIN}};
    for (const auto &c : cases) {
        int32_t value = 99;
        EXPECT_EQ(read_integer(c.text, value), c.number) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    int32_t value = 0;
    EXPECT_FALSE(read_integer("1 2", value));
    EXPECT_FALSE(read_integer("--1", value));
}

TEST(IsNotNumber, OnlyTrailingWhiteSpaceMayFollowTheDigits) {
    for (const char *number : {"", "-", "+", "12", "12 ", "-0", "+7\n", "00"})
        EXPECT_FALSE(is_not_number(number)) << '"' << number << '"';
    for (const char *text : {" 12", "1 2", "1a", "a", "--1", "- 1", "1.5"})
        EXPECT_TRUE(is_not_number(text)) << '"' << text << '"';
}

// No leading zeros and a sign only for negatives. The evaluator keeps computed values as
// integers on the strength of this: the text of every integer reads back as that integer
// and is a number.
TEST(NumberText, ReadsBackAsTheSameInteger) {
    EXPECT_EQ(number_text(0), "0");
    EXPECT_EQ(number_text(-45), "-45");
    EXPECT_EQ(number_text(INT32_MIN), "-2147483648");
    std::mt19937 random(7);
    std::vector<int32_t> values{0, 1, -1, 9, 10, -10, INT32_MAX, INT32_MIN, INT32_MIN + 1};
    for (int i = 0; i < 2000; ++i)
        values.push_back(static_cast<int32_t>(random()));
    for (const int32_t v : values) {
        const std::string text = number_text(v);
        int32_t back = 0;
        EXPECT_TRUE(read_integer(text.c_str(), back)) << text;
        EXPECT_EQ(back, v) << text;
        EXPECT_FALSE(is_not_number(text.c_str())) << text;
    }
}

TEST(CompareTexts, WhiteSpaceRunsMatchOneBlankAndMarkersAreSkipped) {
    EXPECT_EQ(compare_texts("abc", "abc   "), 0);
    EXPECT_EQ(compare_texts("a  b", "a b"), 0);
    EXPECT_EQ(compare_texts("a b", "ab"), -1);
    EXPECT_EQ(compare_texts("abc", "abd"), -1);
    EXPECT_EQ(compare_texts("b", "abc"), 1);
    EXPECT_EQ(compare_texts("ab", "abc"), -1);
    EXPECT_EQ(compare_texts("A", "a"), -1);
    // Markers are skipped and high bytes sort first.
    EXPECT_EQ(compare_texts("\x01\x01"
                            "ab\x01\x02",
                            "ab"),
              0);
    EXPECT_EQ(compare_texts("\x02\x01x", "x"), 0);
    EXPECT_EQ(compare_texts("\xe9", "a"), -1);
    EXPECT_EQ(compare_texts("10", "a"), -1);
}

} // namespace
} // namespace vornmac
