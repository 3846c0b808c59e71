// Texts of the largest length a variable can hold (65534 characters) reach the library by
// every road: the variable file, values set by the host, host text, and values built by
// multiple ampersands. Each must be kept whole; one character more is refused by number.
#include "support/program_run.hpp"
#include "vornmac/vornmac.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vornmac {
namespace {

using testing::joined;
using testing::ProgramRequest;
using testing::ProgramRun;
using testing::run_program;
using testing::TestHome;

constexpr size_t longest = 65534;

TEST(LongestText, SavedValueOfTheLargestLengthLoadsAndIsRead) {
    const std::string value = "v" + std::string(longest - 1, 'w');
    TestHome home({{"big", value}});
    ProgramRequest request;
    request.text = "&big. end\n";
    request.max_tokens = 2000;
    const ProgramRun run = run_program(home, request);
    ASSERT_TRUE(run.created);
    const std::string all = joined(run.tokens, "");
    // Compared by hand: a failure must not print 65534 characters.
    EXPECT_TRUE(all == value + " end ") << all.size() << " characters: " << all.substr(65530);
}

TEST(LongestText, HostTextOfTheLargestLengthRunsAndOneMoreIsRefused) {
    TestHome home;
    std::string text(longest, ' ');
    text.replace(0, 3, "a b");
    text.back() = 'c';
    ProgramRequest request;
    request.text = text.c_str();
    request.max_tokens = 2000;
    ProgramRun run = run_program(home, request);
    EXPECT_EQ(run.tokens.front(), "a ");
    EXPECT_EQ(run.tokens.back(), "c ");

    text += ' ';
    parser_context *ctx = home.create(nullptr, text.c_str());
    ASSERT_NE(ctx, nullptr);
    EXPECT_STREQ(call_optstring(ctx, "_errormessage"), "ERROR #4608 : program text of 65535\n");
    EXPECT_STREQ(call_optstring(ctx, "_TEMP0"), "");
    finish_parser(ctx, 2);
}

// Three ampersands build "&" and the value of x: 65534 characters from a value of 65533.
TEST(LongestText, MultipleAmpersandsBuildTheLargestText) {
    TestHome home;
    ProgramRequest request;
    request.text = "&&&x. end\n";
    request.variables = {{"x", "y" + std::string(longest - 2, '\t')}, {"y", "found"}};
    request.max_tokens = 2000;
    const ProgramRun run = run_program(home, request);
    ASSERT_FALSE(run.tokens.empty());
    EXPECT_EQ(run.tokens.front().substr(0, 6), "found ");
    EXPECT_EQ(run.jumps.size(), 1u) << run.jumps.front().message;
}

} // namespace
} // namespace vornmac
