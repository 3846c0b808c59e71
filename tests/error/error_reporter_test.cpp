// Errors as a host sees them: messages from the message file, the error variables, the
// trace of where the input came from, and the jump values.
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
using testing::run_text;
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
    const std::string file = "10 1 ten %s\n20 3 twenty\n32000 0 end\n30 1 hidden\n";
    ASSERT_TRUE(find_message(file, 10).has_value());
    EXPECT_EQ(find_message(file, 10)->format, "ten %s\n");
    EXPECT_EQ(find_message(file, 20)->type, 3);
    EXPECT_FALSE(find_message(file, 30).has_value());
    EXPECT_FALSE(find_message("10 1 ten", 11).has_value());
    EXPECT_FALSE(find_message("x 1 bad\n10 y bad\n10\n", 10).has_value());
}

TEST(MessageFile, CarriageReturnsBeforeLineFeedsAreDropped) {
    const std::string file = "10 1 ten %s\r\n20 3 twenty\r\n32000 0 end\r\n";
    EXPECT_EQ(find_message(file, 10)->format, "ten %s\n");
    EXPECT_EQ(find_message(file, 20)->format, "twenty\n");
    EXPECT_EQ(find_message("10 1 a\rb\r", 10)->format, "a\rb\r"); // only before a line feed
}

TEST(MessageFile, ReadingStopsAtTheLineFound) {
    // A large file whose first line is wanted: only the first piece is ever read.
    const std::string file = "2 1 first\n" + std::string(8'000'000, 'x');
    size_t read_bytes = 0;
    const ReadBytes read = reading(file, read_bytes);
    ASSERT_TRUE(vornmac::find_message(read, 2).has_value());
    EXPECT_LE(read_bytes, 4096u);
}

TEST(MessageFile, LongLinesAreReadInPieces) {
    // The rest of a line beyond 199 characters is read as a line of its own.
    const std::string file = "1 1 " + std::string(195, 'a') + "2 5 tail\n";
    EXPECT_EQ(find_message(file, 2)->format, "tail\n");
}

TEST(ErrorReporter, MessageVariablesAndLogFollowEachError) {
    TestHome home;
    const ProgramRun run = run_text(home, "a &first b &second c\n");
    ASSERT_EQ(run.jumps.size(), 3u);
    EXPECT_EQ(run.jumps[1].message, "ERROR #2021 : undefined variable second \n");
    // Each message keeps its file line's line end: an empty line follows it in the log.
    EXPECT_NE(run.log.find("\r\n*** Error in Editor File   \r\n          Before Line=1 "
                           "Column=2\r\nERROR #2021 : undefined variable first \r\n\r\n"),
              std::string::npos)
        << run.log;
}

TEST(ErrorReporter, FixedMessagesWhenTheMessageFileCannotBeUsed) {
    TestHome no_name(testing::Options{{"_errorfile", ""}});
    ProgramRun run = run_text(no_name, "a &x b c\n");
    ASSERT_EQ(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].value, 100);
    EXPECT_EQ(run.jumps[0].message, "Either Insufficent Memory To Load Program or No Error File");

    TestHome missing(testing::Options{{"_errorfile", "nowhere.msg"}});
    run = run_text(missing, "a &x b c\n");
    ASSERT_EQ(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].value, 100);
    EXPECT_EQ(run.jumps[0].message, "Cannot Open Error File -> nowhere.msg");
}

TEST(ErrorReporter, UnknownNumberIsReportedWithTypeTwo) {
    TestHome home;
    home.write("test.msg", "173 4 end\n32000 0 end\n2021 1 hidden by the end line\n");
    const ProgramRun run = run_text(home, "a &x b c\n");
    ASSERT_GE(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].value, 1);
    EXPECT_EQ(run.jumps[0].message, "Cannot Find Error Number -> 2021, On Error File -> test.msg");
}

TEST(ErrorReporter, LogSwitchOffKeepsTheLogClean) {
    TestHome home(testing::Options{{"_errorlog", "no"}});
    const ProgramRun run = run_text(home, "a &x b c\n");
    ASSERT_GE(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].message, "ERROR #2021 : undefined variable x \n");
    EXPECT_EQ(run.log.find("ERROR"), std::string::npos);
    EXPECT_EQ(run.log.find("*** Error in"), std::string::npos);
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

TEST_F(ErrorVariables, TraceThroughAVariableSourceAndDepthAcrossErrors) {
    start("one two\nthree &outer four five six\n");
    call_savemacrochar(ctx, 0, "outer", "xx &inner yy");
    // Without a host mark the reporter returns and scanning goes on.
    char first[200];
    start_parser_module(ctx, first);
    for (int i = 0; i < 3; ++i)
        call_gettoken(ctx);
    EXPECT_EQ(get("_errormessage"), "ERROR #2021 : undefined variable inner \n");
    EXPECT_EQ(get("_errormodule"), "tests");
    EXPECT_EQ(get("_errortype"), "1");
    EXPECT_EQ(get("_errordepth"), "2");
    EXPECT_EQ(get("_errorfiles1"), "*** Error in Macro Variable -> outer    ");
    EXPECT_EQ(get("_errorlocs1"), "          Before Line=2 Column=16");
    EXPECT_EQ(get("_errorfiles2"), "  *** Called From Editor File   ");
    EXPECT_EQ(get("_errorline"), "2");
    EXPECT_EQ(get("_errorcolumn"), "16");
}

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
