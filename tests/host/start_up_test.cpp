#include "host/parser_context.hpp"
#include "host/start_up.hpp"
#include "support/test_home.hpp"
#include "vornmac/vornmac.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vornmac {
namespace {

class StartUpTest : public ::testing::Test {
  protected:
    parser_context *init(const char *program, int16_t argc, const char *const *argv,
                         const char *text) {
        return init_parser(program, argc, argv, text, home.dir().c_str(), VORNMAC_OPTIONS_TAG,
                           options.c_str(), 0, "ignored: wrong tag");
    }
    testing::TestHome home;
    std::string options = home.options_file();
    std::string home_log = home.path("vorntool.log");
};

TEST_F(StartUpTest, LogNameFallsBackFromArgumentToVariableToHome) {
    ParserContext with_slash(home.dir().c_str(), 0, {"p"});
    EXPECT_EQ(log_file_name(with_slash, "given.log", "var.log"), "given.log");
    EXPECT_EQ(log_file_name(with_slash, "", "var.log"), "var.log");
    EXPECT_EQ(log_file_name(with_slash, nullptr, ""), home_log);
    ParserContext no_slash("/x/home", 0, {"p"});
    EXPECT_EQ(log_file_name(no_slash, nullptr, ""), "/x/home/vorntool.log");
    ParserContext empty_home("", 0, {"p"});
    EXPECT_EQ(log_file_name(empty_home, nullptr, ""), "vorntool.log");
}

TEST_F(StartUpTest, ArgumentVariablesFollowTheProgramSource) {
    const char *argv[] = {"host's own", "a", "b"};
    parser_context *ctx = init("prog.vm", 2, argv, nullptr);
    ASSERT_NE(ctx, nullptr);
    EXPECT_STREQ(call_optstring(ctx, "argv0"), "prog.vm");
    EXPECT_STREQ(call_optstring(ctx, "argv1"), "a");
    EXPECT_STREQ(call_optstring(ctx, "argv2"), "b");
    EXPECT_STREQ(call_optstring(ctx, "argv3"), "");
    EXPECT_STREQ(call_optstring(ctx, "_screenlines"), "25");
    EXPECT_STREQ(call_optstring(ctx, "_optlist"), "optlist.dat");
    char name[200];
    get_logfileptr(ctx, name);
    EXPECT_EQ(name, home_log); // the log argument's tag was wrong
    finish_parser(ctx, 2);

    ctx = init(nullptr, 0, nullptr, nullptr);
    ASSERT_NE(ctx, nullptr);
    EXPECT_STREQ(call_optstring(ctx, "argv0"), "Interactive");
    finish_parser(ctx, 2);
}

TEST(MainProgramFile, IsTheNameTheProgramWasOpenedUnder) {
    const testing::TestHome home(testing::Options{{"_prgextend", "vm"}});
    home.write("prog.vm", "x");
    const auto opened_as = [&](const char *file, const char *text) {
        parser_context *ctx = home.create(file, text);
        if (ctx == nullptr) return std::string("no context");
        std::string name = vornmac_main_program_file(ctx);
        finish_parser(ctx, 2);
        return name;
    };
    EXPECT_EQ(opened_as(home.path("prog").c_str(), nullptr), home.path("prog.vm"));
    EXPECT_EQ(opened_as(home.path("prog.vm").c_str(), nullptr), home.path("prog.vm"));
    EXPECT_EQ(opened_as(home.path("missing").c_str(), nullptr), "");
    EXPECT_EQ(opened_as(nullptr, "program text"), "");
    EXPECT_EQ(opened_as("", nullptr), "") << "the terminal";
}

TEST_F(StartUpTest, LogStaysOpenAcrossContextsUntilModeTwo) {
    parser_context *first = init(nullptr, 0, nullptr, "x");
    outmesdbs(first, 1, 2, 3, "a");
    finish_parser(first, 0);
    const int handle = BufferedFile::log_handle();
    EXPECT_GE(handle, 0);
    parser_context *second = init(nullptr, 0, nullptr, "x");
    EXPECT_EQ(BufferedFile::log_handle(), handle);
    outmesdbs(second, 4, 5, 0, "b");
    finish_parser(second, 2);
    EXPECT_EQ(BufferedFile::log_handle(), -1);
    EXPECT_EQ(home.read("vorntool.log"), "1 Records Of 2 Variables And 3 Bytes Written To a\r\n\r\n"
                                         "4 Records Of 5 Variables Written To b\r\n\r\n");
}

parser_context *init_with_log(const testing::TestHome &home, const std::string &log) {
    const std::string options = home.options_file();
    return init_parser(nullptr, 0, nullptr, "x", home.dir().c_str(), VORNMAC_OPTIONS_TAG,
                       options.c_str(), VORNMAC_LOG_TAG, log.c_str());
}

TEST_F(StartUpTest, LogNameIsCutToTheDocumentedBuffer) {
    const std::string log = home.path(std::string(230, 'l') + ".log");
    parser_context *ctx = init_with_log(home, log);
    ASSERT_NE(ctx, nullptr);
    char name[300];
    std::memset(name, 'Z', sizeof name);
    EXPECT_NE(get_logfileptr(ctx, name), nullptr);
    EXPECT_EQ(std::string(name), log.substr(0, 199));
    EXPECT_EQ(name[200], 'Z'); // nothing written past the 200 bytes
    finish_parser(ctx, 2);
}

TEST_F(StartUpTest, AFifoAsLogIsRefusedAndADeviceIsTaken) {
    const std::string fifo = home.path("log.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    parser_context *ctx = init_with_log(home, fifo);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(get_logfileptr(ctx, nullptr), nullptr);
    EXPECT_EQ(static_cast<ParserContext *>(ctx)->errors.last_number(), 4621);
    finish_parser(ctx, 2);

    ctx = init_with_log(home, "/dev/null");
    ASSERT_NE(ctx, nullptr);
    EXPECT_NE(get_logfileptr(ctx, nullptr), nullptr);
    finish_parser(ctx, 2);
}

TEST_F(StartUpTest, HostLevelsAreCheckedAndModuleNameIsBounded) {
    parser_context *ctx = init(nullptr, 0, nullptr, "x");
    EXPECT_NE(call_savemacrochar(ctx, 65535, "saved", "s"), nullptr); // level -1
    EXPECT_STREQ(call_optstring(ctx, "saved"), "s");
    EXPECT_EQ(call_savemacrochar(ctx, 65533, "bad", "b"), nullptr); // level -3
    EXPECT_EQ(call_savemacrochar(ctx, 0, nullptr, "b"), nullptr);
    set_modulename(ctx, std::string(100, 'm').c_str());
    EXPECT_EQ(static_cast<ParserContext *>(ctx)->module_name.size(), 59u);
    EXPECT_EQ(static_cast<ParserContext *>(ctx)->errors.raised_count(), 2);
    finish_parser(ctx, 2);
}

} // namespace
} // namespace vornmac
