// Errors as a host sees them: messages from the message file, the error variables and the
// jump values. The fixed messages without a usable message file, a number missing from it,
// the log switch and the trace of nested sources are covered by tests/programs/errors.
#include "error/message_file.hpp"
#include "support/program_run.hpp"
#include "vornmac/vornmac.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace vornmac {
namespace {

using testing::ProgramRun;
using testing::TestHome;

// A reader over text in memory that hands it out in small pieces, so that lines cross
// the pieces.
ReadBytes reading(const std::string &contents, size_t &read_bytes) {
    return [&contents, &read_bytes](char *buffer, int32_t count) {
        const size_t piece =
            std::min({contents.size() - read_bytes, static_cast<size_t>(count), size_t{7}});
        std::memcpy(buffer, contents.data() + read_bytes, piece);
        read_bytes += piece;
        return static_cast<int32_t>(piece);
    };
}

std::optional<MessageLine> find_message(const std::string &contents, int16_t number) {
    size_t read_bytes = 0;
    return vornmac::find_message(reading(contents, read_bytes), number);
}

TEST(MessageFile, SearchStopsAtTheNumberAtThirtyTwoThousandOrAtTheEnd) {
    const std::string file = "10 1 ten %s\r\n20 3 twenty\n32000 0 end\n30 1 hidden\n";
    ASSERT_TRUE(find_message(file, 10).has_value());
    EXPECT_EQ(find_message(file, 10)->format, "ten %s\n"); // CR before LF is dropped
    EXPECT_EQ(find_message(file, 20)->type, 3);
    EXPECT_FALSE(find_message(file, 30).has_value());
    EXPECT_FALSE(find_message("10 1 ten", 11).has_value());
    EXPECT_FALSE(find_message("x 1 bad\n10 y bad\n10\n", 10).has_value());
    EXPECT_EQ(find_message("10 1 a\rb\r", 10)->format, "a\rb\r"); // only before a line feed
    // The rest of a line beyond 199 characters is read as a line of its own.
    EXPECT_EQ(find_message("1 1 " + std::string(195, 'a') + "2 5 tail\n", 2)->format, "tail\n");
}

TEST(MessageFile, ReadingStopsAtTheLineFound) {
    // A large file whose first line is wanted: only the first piece is ever read.
    const std::string file = "2 1 first\n" + std::string(8'000'000, 'x');
    size_t read_bytes = 0;
    const ReadBytes read = reading(file, read_bytes);
    ASSERT_TRUE(vornmac::find_message(read, 2).has_value());
    EXPECT_LE(read_bytes, 4096u);
}

// Drives a context by hand so that the error variables can be read between errors.
class ErrorVariables : public ::testing::Test {
  protected:
    void start(const char *text) {
        ctx = home.create(nullptr, text);
        ASSERT_NE(ctx, nullptr);
        set_modulename(ctx, "tests");
    }
    void TearDown() override {
        if (ctx != nullptr) finish_parser(ctx, 2);
    }
    std::string get(const char *name) { return call_optstring(ctx, name); }
    TestHome home;
    parser_context *ctx = nullptr;
};

TEST_F(ErrorVariables, CarriageReturnsOfTheMessageFileReachNeitherVariableNorLog) {
    home.write("test.msg", "2021 1 undefined variable %s\r\n173 4 end\r\n32000 0 end\r\n");
    start("a &nope. b\n");
    char first[200];
    start_parser_module(ctx, first);
    EXPECT_EQ(get("_errormessage"), "ERROR #2021 : undefined variable nope\n");
    finish_parser(ctx, 2);
    ctx = nullptr;
    const std::string log = home.read("vorntool.log");
    EXPECT_NE(log.find("ERROR #2021 : undefined variable nope\r\n\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("\r\r"), std::string::npos);
}

// call_errorproc takes a va_list; a host passes its arguments through one of these.
void host_raise(parser_context *ctx, int16_t number, ...) {
    va_list args;
    va_start(args, number);
    call_errorproc(ctx, number, args);
    va_end(args);
}

TEST_F(ErrorVariables, HostArgumentsFollowTheMessageConversions) {
    start("a b\n");
    // %x takes an int, so the text after it is read as a text.
    host_raise(ctx, 7001, 255, "word", "abcdef", 70000);
    EXPECT_EQ(get("_errormessage"), "ERROR #7001 : host gives ff then word,    ab and 70000\n");
    EXPECT_EQ(get("_errortype"), "5");
}

TEST(ErrorReporter, TerminalProgramsJumpWithTwo) {
    TestHome home;
    const ProgramRun run = testing::run_terminal_program(home, "a &x b c\n");
    ASSERT_GE(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].value, 2);
    EXPECT_NE(run.log.find("*** Error in _terminal_   "), std::string::npos) << run.log;
}

} // namespace
} // namespace vornmac
