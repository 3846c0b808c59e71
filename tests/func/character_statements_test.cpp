// %setbyte and %setstring, seen through references to the variables they change.
#include "func/character_statements.hpp"

#include "func/system_test_home.hpp"

#include <gtest/gtest.h>

namespace vornmac {
namespace {

using testing::joined;
using testing::SystemHome;

std::string output(const std::string &program, testing::Options variables = {}) {
    SystemHome home;
    return joined(home.run(program, std::move(variables)).tokens, "");
}

std::string first_error(const std::string &program) {
    SystemHome home;
    const testing::ProgramRun run = home.run(program);
    return run.jumps.empty() ? "" : run.jumps.front().message;
}

TEST(SetByte, ReplacesOneCharacterInsideTheValueOnly) {
    const testing::Options abc = {{"x", "abc"}};
    EXPECT_EQ(output("%setbyte x = 2 Z; <&x.> z\n", abc), "<aZc> z ");
    EXPECT_EQ(output("%setbyte x=3 yes; <&x.> z\n", abc), "<aby> z ");
    EXPECT_EQ(output("%setbyte x = 0 Z; <&x.> z\n", abc), "<abc> z ");
    EXPECT_EQ(output("%setbyte x = 4 Z; <&x.> z\n", abc), "<abc> z ");
    EXPECT_EQ(output("%setbyte x = 1 Z; %setbyte missing = 1 Z; <&x.> z\n", abc), "<Zbc> z ");
}

// A count is one token, so a negative one only comes from a number that wraps at 32 bits.
TEST(SetString, SetsCountCopiesOfTheFirstCharacter) {
    EXPECT_EQ(output("%setstring y = 3 ab; <&y.> z\n"), "<aaa> z ");
    EXPECT_EQ(output("%setstring y = 4294967294 ab; <&y.> z\n", {{"y", "old"}}), "<> z ");
    EXPECT_EQ(output("%setstring y = 0 q; <&y.> z\n", {{"y", "old"}}), "<> z ");
}

TEST(CharacterStatements, ReportTheirErrors) {
    EXPECT_EQ(first_error("a %setbyte x 2 Z; z\n"),
              "ERROR #2075 : %setbyte: expected = but found: 2 \n");
    EXPECT_EQ(first_error("a %setstring x : 2 Z; z\n"),
              "ERROR #2075 : %setstring: expected = but found: : \n");
    const std::string long_name(60, 'n');
    EXPECT_EQ(first_error("a %setstring " + long_name + " = 2 Z; z\n"),
              "ERROR #4640 : setstring: name longer than 59: " + long_name + "\n");
    EXPECT_EQ(first_error("a %setstring " + long_name.substr(1) + " = 2 Z; z\n"),
              "ERROR #173 : input exhausted\n");
    EXPECT_EQ(first_error("a %setstring y = 40000 Z; z\n"),
              "ERROR #4670 : %setstring: count 40000 over 32767\n");
    EXPECT_EQ(first_error("a %setbyte y = x Z; z\n"), "ERROR #2039 : Not a number: x \n");
}

} // namespace
} // namespace vornmac
