// Two parsers used in turn by one host keep their own input, variables and tokens.
#include "support/test_home.hpp"

#include <gtest/gtest.h>

namespace vornmac {
namespace {

TEST(TwoContexts, CallsInTurnDoNotMix) {
    testing::TestHome home;
    parser_context *first = home.create(nullptr, "a1 &v. a2 a3 a4\n");
    parser_context *second = home.create(nullptr, "b1 &v. b2 b3 b4\n");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    call_savemacrochar(first, 0, "v", "one");
    call_savemacrochar(second, 0, "v", "two");
    char token[200];
    start_parser_module(first, token);
    EXPECT_STREQ(token, "a1 ");
    start_parser_module(second, token);
    EXPECT_STREQ(token, "b1 ");
    std::string seen;
    for (int i = 0; i < 3; ++i) {
        call_gettoken(first);
        call_gettoken(second);
        seen += std::string(addcurrtoken(first)) + addcurrtoken(second);
    }
    EXPECT_EQ(seen, "one two a2 b2 a3 b3 ");
    finish_parser(first, 0);
    finish_parser(second, 2);
}

} // namespace
} // namespace vornmac
