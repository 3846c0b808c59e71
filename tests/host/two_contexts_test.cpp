// Two parsers used in turn by one host keep their own input, variables and tokens.
#include "support/test_home.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

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

TEST(TwoContexts, ClosingTheLogInOneKeepsItForTheOther) {
    testing::TestHome home;
    parser_context *first = home.create(nullptr, "a\n");
    parser_context *second = home.create(nullptr, "b\n");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    finish_parser(first, 2);
    // A file opened now would get the log's descriptor number if it had been closed.
    const std::string other = home.path("other.txt");
    const int descriptor = ::open(other.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(descriptor, 0);
    outmesdbs(second, 1, 2, 0, "second");
    finish_parser(second, 2);
    ::close(descriptor);
    EXPECT_EQ(home.read("other.txt"), "");
    EXPECT_NE(home.read("vorntool.log").find("1 Records Of 2 Variables Written To second"),
              std::string::npos);
}

} // namespace
} // namespace vornmac
