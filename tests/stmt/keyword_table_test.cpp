#include "stmt/keyword_table.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

class KeywordTable : public ::testing::Test {
  protected:
    void SetUp() override { build_keyword_order(); }
};

TEST_F(KeywordTable, EveryKeywordIsFoundAtItsOwnIndex) {
    const auto &table = keyword_table();
    for (int16_t i = 0; i < keyword_count; ++i) {
        const std::string name = table[static_cast<size_t>(i)].name;
        if (name == "xyz") continue;
        EXPECT_EQ(find_keyword(name.c_str()), i) << name;
    }
}

TEST_F(KeywordTable, MatchIgnoresCaseAndTrailingWhiteSpaceButNotAbbreviation) {
    const int16_t let = find_keyword("let");
    EXPECT_EQ(find_keyword("LET"), let);
    EXPECT_EQ(find_keyword("Let \t"), let);
    for (const char *other : {"le", "lets", "mymacro"})
        EXPECT_EQ(find_keyword(other), -1) << other;
    const int16_t xyz = find_keyword("XYZ"); // one of the placeholders
    EXPECT_GE(xyz, 3);
    EXPECT_LE(xyz, 6);
}

TEST_F(KeywordTable, StatementFlagSeparatesStatementsFromFunctions) {
    EXPECT_TRUE(keyword_statement_flag("let"));
    EXPECT_FALSE(keyword_statement_flag("eval"));
    EXPECT_FALSE(keyword_statement_flag("makewindow"));
    EXPECT_TRUE(keyword_statement_flag("deletewindow"));
    EXPECT_FALSE(keyword_statement_flag("nokeyword"));
}

} // namespace
} // namespace vornmac
