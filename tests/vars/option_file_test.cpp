// The variable file at start-up and finish: what makes a parser refuse to start, where the
// file is looked for, and what the save writes back.
#include "support/test_home.hpp"
#include "vars/option_file.hpp"
#include "vornmac/vornmac.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace vornmac {
namespace {

using testing::TestHome;

parser_context *start(const TestHome &home, const std::string &options) {
    return init_parser(nullptr, 0, nullptr, "x y\n", home.dir().c_str(), VORNMAC_OPTIONS_TAG,
                       options.c_str(), 0, nullptr);
}

std::string refusal(const TestHome &home, const std::string &options) {
    ::testing::internal::CaptureStderr();
    parser_context *ctx = start(home, options);
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(ctx, nullptr);
    if (ctx != nullptr) finish_parser(ctx, 2);
    return shown;
}

TEST(OptionFile, MissingFileRefusesToStart) {
    TestHome home;
    std::filesystem::remove(home.options_file());
    const std::string missing = home.path("none.dat");
    EXPECT_EQ(refusal(home, missing),
              "Options File Error: ERROR #2042: Cannot Open Macro Variable Disk File -> " +
                  missing + "\n");
}

TEST(OptionFile, WrongVersionRefusesToStart) {
    TestHome home;
    home.write("old.dat", std::string("\x01\x00\xff\xff\xfe\xff", 6));
    const std::string old = home.path("old.dat");
    EXPECT_EQ(refusal(home, old),
              "Options File Error: ERROR #3004: Macrovariable File -> " + old +
                  " is not the right version.  Wanted Version=2.  Got Version=1.\n\n");
}

TEST(OptionFile, DamagedFilesRefuseToStart) {
    TestHome home;
    const std::string good = home.read("vorn_opt.dat");
    const std::string cases[] = {
        good.substr(0, good.size() - 3),                     // truncated
        std::string("\x02\x00\x50\x00", 4),                  // 81 input records
        std::string("\x02\x00\xff\xff\x00\x00\xff\xff", 8),  // a name of 65535 bytes
        std::string("\x02\x00\xff\xff\x50\x00\x01\x00x", 9), // level 80
    };
    for (const std::string &bytes : cases) {
        home.write("bad.dat", bytes);
        EXPECT_NE(refusal(home, home.path("bad.dat")).find("ERROR #4607"), std::string::npos);
    }
}

TEST(OptionFile, FoundInTheHomeButSavedUnderTheGivenName) {
    TestHome home;
    // The given name does not exist; the home directory's vorn_opt.dat is read instead.
    const std::string given = home.path("sub/vorn_opt.dat");
    parser_context *ctx = start(home, given);
    ASSERT_NE(ctx, nullptr);
    EXPECT_STREQ(call_optstring(ctx, "_errorfile"), "test.msg");
    std::filesystem::create_directory(home.path("sub"));
    finish_parser(ctx, 2);
    EXPECT_TRUE(std::filesystem::exists(given));
}

TEST(OptionFile, SaveKeepsSavedLevelsOnlyAndLeavesNoTemporaryFile) {
    TestHome home;
    const std::string options = home.options_file();
    parser_context *ctx = start(home, options);
    ASSERT_NE(ctx, nullptr);
    call_savemacrochar(ctx, 65535, "kept", "");
    call_savemacrochar(ctx, 65535, "_logfile", home.log_file().c_str());
    call_savemacrochar(ctx, 0, "global", "gone");
    finish_parser(ctx, 2);
    EXPECT_FALSE(std::filesystem::exists(home.path("vorn_opt.$$9")));

    ctx = start(home, options);
    ASSERT_NE(ctx, nullptr);
    EXPECT_STREQ(call_optstring(ctx, "global"), "");
    EXPECT_NE(call_savemacrochar(ctx, 0, "probe", "p"), nullptr);
    char log_name[200];
    get_logfileptr(ctx, log_name);
    EXPECT_EQ(log_name, home.log_file()); // a saved _logfile names the log
    finish_parser(ctx, 2);
    // The saved input record of the host text: version, top 0, the record, the names.
    const std::string bytes = home.read("vorn_opt.dat");
    ASSERT_GT(bytes.size(), 4u + 33u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x02\x00\x00\x00", 4));
    EXPECT_EQ(bytes[4 + 14], 's');
    EXPECT_EQ(bytes.substr(4 + 33, 9), std::string("\x06\x00_TEMP0\x00", 9));
    EXPECT_NE(bytes.find(std::string("\xff\xff\x04\x00kept\x00\x00", 10)), std::string::npos);
}

TEST(OptionFile, UnwritableSaveIsReportedAndTheContextStillEnds) {
    TestHome home;
    const std::string given = home.path("no/such/dir/vorn_opt.dat");
    parser_context *ctx = start(home, given); // read from the home directory
    ASSERT_NE(ctx, nullptr);
    ::testing::internal::CaptureStderr();
    finish_parser(ctx, 2);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("File Creation Error"),
              std::string::npos);
    EXPECT_NE(home.read("vorntool.log").find("ERROR #2042 : cannot create"), std::string::npos);
}

TEST(OptionFile, AShortWriteNeverReplacesTheOldFile) {
    TestHome home;
    const std::string path = home.options_file();
    const std::string before = home.read("vorn_opt.dat");
    // A file size limit makes the write come up short, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ::testing::internal::CaptureStderr();
    const ReplaceResult result =
        replace_file(path, home.path("vorn_opt.$$9"), std::string(5000, 'x'), true);
    const std::string shown = ::testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous_handler);
    EXPECT_EQ(result, ReplaceResult::cannot_write);
    EXPECT_EQ(shown.rfind("Database Error: Write File Error\n", 0), 0u) << shown;
    EXPECT_EQ(home.read("vorn_opt.dat"), before);
    EXPECT_FALSE(std::filesystem::exists(home.path("vorn_opt.$$9")));
}

} // namespace
} // namespace vornmac
