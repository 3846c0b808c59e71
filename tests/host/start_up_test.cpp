#include "host/parser_context.hpp"
#include "host/start_up.hpp"
#include "support/test_home.hpp"
#include "vornmac/vornmac.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
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
