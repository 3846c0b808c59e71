// %system: options, the interpreter prefix, the waiting rule and the 1000-character bound.
// A missing program is skipped without a word (tests/programs/sysfunc/system_wait).
#include "func/system_command.hpp"

#include "func/system_test_home.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vornmac {
namespace {

using testing::joined;
using testing::SystemHome;

TEST(SystemOptions, AreReadInAnyCaseRepeatedAndStopAtAnUnknownSlash) {
    const struct {
        const char *text;
        int waiting;
        bool interpreter;
        const char *command;
    } cases[] = {{"/WAIT dir *.txt", 1, true, "dir *.txt"},
                 {" /nowait  notepad x.txt", 0, false, "notepad x.txt"},
                 {"/Dos/wait /NoWait  run it", 0, true, "run it"},
                 {"/wait /xyz /dos a", 1, false, "/xyz /dos a"}};
    for (const auto &c : cases) {
        const SystemCommand read = read_system_options(c.text);
        EXPECT_EQ(read.waiting, c.waiting) << c.text;
        EXPECT_EQ(read.interpreter, c.interpreter) << c.text;
        EXPECT_EQ(read.command, c.command) << c.text;
    }
}

TEST(SystemOptions, InterpreterCommandsNeedTheirBlank) {
    for (const char *text : {"erase a", "DELETE a", "Del a", "copy a b", "dir x", "chdir y"})
        EXPECT_TRUE(read_system_options(text).interpreter) << text;
    for (const char *text : {"dirx a", "dir", "copying a", "del\ta"})
        EXPECT_FALSE(read_system_options(text).interpreter) << text;
}

// Waiting by default is shown by tests/programs/sysfunc/system_wait.
TEST(SystemStatement, WaitsWhenAsked) {
    SystemHome home;
    const testing::ProgramRun run =
        home.run("b %system /Wait /DOS sleep 0.2 | xargs touch &dir.piped; c\n");
    EXPECT_EQ(joined(run.tokens), "b |c ");
    EXPECT_TRUE(run.jumps.size() == 1 && run.jumps[0].message.starts_with("ERROR #173"));
    EXPECT_TRUE(home.exists("piped"));
}

TEST(SystemStatement, NowaitDefaultInCapitalsDoesNotWait) {
    SystemHome home;
    home.run("%system /dos sleep 2 | xargs touch &dir.late;\n", {{"_system_default", "NOWAIT"}});
    EXPECT_FALSE(home.exists("late"));
    for (int i = 0; i < 500 && !home.exists("late"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(home.exists("late"));
}

TEST(SystemStatement, ThousandCharactersFitAndTheNextTokenRaises2036) {
    SystemHome home;
    std::string words;
    for (int i = 0; i < 99; ++i)
        words += "aaaaaaaaa ";
    // "/dos true " and 99 words of ten: exactly 1000 characters.
    testing::ProgramRun run = home.run("a %system /dos true " + words + "; z\n");
    EXPECT_EQ(joined(run.tokens), "a |z ");
    EXPECT_EQ(run.jumps.size(), 1u);
    run =
        home.run("%system /dos touch &dir.ran " + words.substr(5 + home.dir().size()) + "bb; z\n");
    ASSERT_GE(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].message, "ERROR #2036 : too long: /dos touch " + home.dir() + "ran " +
                                        words.substr(5 + home.dir().size()) + "\n");
}

TEST(SystemStatement, AQuotedSemicolonBelongsToTheCommand) {
    SystemHome home;
    const testing::ProgramRun run = home.run("a %system /dos true %str(;) echo two > &dir.q; b\n");
    EXPECT_EQ(joined(run.tokens), "a |b ");
    EXPECT_EQ(home.read("q"), "two\n");
}

} // namespace
} // namespace vornmac
