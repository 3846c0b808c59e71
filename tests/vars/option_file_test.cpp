// The variable file at start-up and finish: what makes a parser refuse to start, where the
// file is looked for, and what the save writes back.
#include "support/file_size_limit.hpp"
#include "support/test_home.hpp"
#include "vars/option_file.hpp"
#include "vornmac/vornmac.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

TEST(OptionFile, WhatIsNoRegularFileIsRefusedWithoutWaiting) {
    TestHome home;
    const std::string fifo = home.path("options.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string &name : {fifo, std::string("/dev/zero")})
        EXPECT_EQ(refusal(home, name), "Options File Error: ERROR #4620: Macrovariable File -> " +
                                           name + " is not a regular file\n");
}

TEST(OptionFile, AFileLargerThanAnyTheLibraryWritesIsRefused) {
    TestHome home;
    const std::string huge = home.path("huge.dat");
    home.write("huge.dat", home.read("vorn_opt.dat"));
    std::filesystem::resize_file(huge, max_variable_file_size + 1); // sparse
    EXPECT_NE(refusal(home, huge).find("ERROR #4607"), std::string::npos);
}

TEST(OptionFile, EveryFileTheLibraryWritesLoadsAgain) {
    TestHome home;
    const std::string options = home.options_file();
    parser_context *ctx = start(home, options);
    ASSERT_NE(ctx, nullptr);
    const std::string long_name(100, 'n');
    call_savemacrochar(ctx, 65535, long_name.c_str(), "lost");
    call_savemacrochar(ctx, 65535, std::string(99, 'k').c_str(), "kept");
    call_savemacrochar(ctx, 75, "deep", "x"); // error 2041, but the value is made
    char message[200];
    EXPECT_EQ(vornmac_finish_parser(ctx, 2, message, sizeof message), 4622);
    // Both are reported; the last one is told to the host.
    EXPECT_EQ(std::string(message),
              "ERROR #4622 : Variable " + long_name + " at level -1 is not saved\n");
    EXPECT_NE(home.read("vorntool.log").find("Variable deep at level 75 is not saved"),
              std::string::npos);

    ctx = start(home, options);
    ASSERT_NE(ctx, nullptr);
    EXPECT_STREQ(call_optstring(ctx, std::string(99, 'k').c_str()), "kept");
    EXPECT_STREQ(call_optstring(ctx, long_name.c_str()), "");
    EXPECT_EQ(vornmac_finish_parser(ctx, 2, nullptr, 0), 0);
}

// Runs started together in separate processes, each saving its own value into one home.
// Whichever finishes last, the file must be one run's complete file.
TEST(OptionFile, RunsFinishingTogetherLeaveOneCompleteFile) {
    TestHome home;
    const std::string options = home.options_file();
    constexpr int rounds = 60;
    constexpr int runs = 4;
    for (int round = 0; round < rounds; ++round) {
        int gate[2];
        ASSERT_EQ(pipe(gate), 0);
        std::vector<pid_t> children;
        for (int run = 0; run < runs; ++run) {
            const pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                ::close(gate[1]);
                char go;
                (void)!::read(gate[0], &go, 1); // ends when the parent closes the gate
                parser_context *ctx = start(home, options);
                if (ctx == nullptr) _exit(1);
                call_savemacrochar(ctx, 65535, "writer", std::to_string(run).c_str());
                call_savemacrochar(ctx, 65535, "padding", std::string(20000, 'p').c_str());
                _exit(vornmac_finish_parser(ctx, 2, nullptr, 0) == 0 ? 0 : 2);
            }
            children.push_back(pid);
        }
        ::close(gate[0]);
        ::close(gate[1]);
        for (const pid_t pid : children) {
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        VariableFileContents contents;
        const LoadOutcome outcome = inspect_variable_file(options, contents);
        ASSERT_EQ(outcome.result, LoadResult::loaded)
            << "round " << round << ": " << outcome.problem;
        const auto writer = std::find_if(contents.values.begin(), contents.values.end(),
                                         [](const SavedValue &v) { return v.name == "writer"; });
        ASSERT_NE(writer, contents.values.end()) << "round " << round;
    }
    for (const auto &entry : std::filesystem::directory_iterator(home.dir()))
        EXPECT_EQ(entry.path().filename().string().find("$$9"), std::string::npos) << entry.path();
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
    char message[200];
    EXPECT_EQ(vornmac_finish_parser(ctx, 2, message, sizeof message), 2042);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("File Creation Error"),
              std::string::npos);
    EXPECT_EQ(std::string(message).rfind("ERROR #2042 : cannot create", 0), 0u) << message;
    EXPECT_NE(home.read("vorntool.log").find("ERROR #2042 : cannot create"), std::string::npos);
}

TEST(OptionFile, AShortWriteNeverReplacesTheOldFile) {
    TestHome home;
    const std::string path = home.options_file();
    const std::string before = home.read("vorn_opt.dat");
    ReplaceResult result{};
    std::string shown;
    {
        const testing::FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        ::testing::internal::CaptureStderr();
        result = replace_variable_file(path, std::string(5000, 'x'), true).result;
        shown = ::testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(result, ReplaceResult::cannot_write);
    EXPECT_EQ(shown.rfind("Database Error: Write File Error\n", 0), 0u) << shown;
    EXPECT_EQ(home.read("vorn_opt.dat"), before);
    EXPECT_FALSE(std::filesystem::exists(home.path("vorn_opt.$$9")));
}

} // namespace
} // namespace vornmac
