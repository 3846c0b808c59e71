// %setbyte and %setstring, seen through references to the variables they change. The
// plain cases are covered by tests/programs/sysfunc/characters.
#include "func/character_statements.hpp"

#include "func/system_test_home.hpp"

#include <gtest/gtest.h>

namespace vornmac {
namespace {

// A count is one token, so a negative one only comes from a number that wraps at 32 bits.
TEST(CharacterStatements, ChangeOnlyTheValueAndClearItForCountsBelowOne) {
    const testing::SystemHome home;
    const testing::Options abc = {{"x", "abc"}}, old = {{"y", "old"}};
    EXPECT_EQ(home.output("%setbyte x=3 yes; <&x.> z\n", abc), "<aby> z ");
    EXPECT_EQ(home.output("%setbyte x = 0 Z; <&x.> z\n", abc), "<abc> z ");
    EXPECT_EQ(home.output("%setbyte x = 4 Z; <&x.> z\n", abc), "<abc> z ");
    EXPECT_EQ(home.output("%setbyte x = 1 Z; %setbyte missing = 1 Z; <&x.> z\n", abc), "<Zbc> z ");
    EXPECT_EQ(home.output("%setstring y = 4294967294 ab; <&y.> z\n", old), "<> z ");
    EXPECT_EQ(home.output("%setstring y = 0 q; <&y.> z\n", old), "<> z ");
}

TEST(CharacterStatements, ReportTheirErrors) {
    const testing::SystemHome home;
    EXPECT_EQ(home.first_error("a %setstring x : 2 Z; z\n"),
              "ERROR #2075 : %setstring: expected = but found: : \n");
    const std::string long_name(60, 'n');
    EXPECT_EQ(home.first_error("a %setstring " + long_name + " = 2 Z; z\n"),
              "ERROR #4640 : setstring: name longer than 59: " + long_name + "\n");
    EXPECT_EQ(home.first_error("a %setstring " + long_name.substr(1) + " = 2 Z; z\n"),
              "ERROR #173 : input exhausted\n");
    EXPECT_EQ(home.first_error("a %setstring y = 40000 Z; z\n"),
              "ERROR #4670 : %setstring: count 40000 over 32767\n");
    EXPECT_EQ(home.first_error("a %setbyte y = x Z; z\n"), "ERROR #2039 : Not a number: x \n");
}

} // namespace
} // namespace vornmac
