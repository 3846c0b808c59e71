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
    EXPECT_EQ(find_keyword("let"), 12);
    EXPECT_EQ(find_keyword("convertall"), 92);
    EXPECT_EQ(find_keyword("*"), 27);
}

TEST_F(KeywordTable, MatchIgnoresCaseAndTrailingWhiteSpaceButNotAbbreviation) {
    EXPECT_EQ(find_keyword("LET"), 12);
    EXPECT_EQ(find_keyword("Let \t"), 12);
    EXPECT_EQ(find_keyword("le"), -1);
    EXPECT_EQ(find_keyword("lets"), -1);
    EXPECT_EQ(find_keyword("mymacro"), -1);
    const int16_t xyz = find_keyword("XYZ");
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
