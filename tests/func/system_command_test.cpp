// %system: options, the interpreter prefix, the waiting rule and the 1000-character bound.
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
    SystemCommand c = read_system_options("/WAIT dir *.txt");
    EXPECT_EQ(c.waiting, 1);
    EXPECT_TRUE(c.interpreter);
    EXPECT_EQ(c.command, "dir *.txt");

    c = read_system_options(" /nowait  notepad x.txt");
    EXPECT_EQ(c.waiting, 0);
    EXPECT_FALSE(c.interpreter);
    EXPECT_EQ(c.command, "notepad x.txt");

    c = read_system_options("/Dos/wait /NoWait  run it");
    EXPECT_EQ(c.waiting, 0);
    EXPECT_TRUE(c.interpreter);
    EXPECT_EQ(c.command, "run it");

    c = read_system_options("/wait /xyz /dos a");
    EXPECT_EQ(c.waiting, 1);
    EXPECT_FALSE(c.interpreter);
    EXPECT_EQ(c.command, "/xyz /dos a");
}

TEST(SystemOptions, InterpreterCommandsNeedTheirBlank) {
    for (const char *text : {"erase a", "DELETE a", "Del a", "copy a b", "dir x", "chdir y"})
        EXPECT_TRUE(read_system_options(text).interpreter) << text;
    for (const char *text : {"dirx a", "dir", "copying a", "del\ta"})
        EXPECT_FALSE(read_system_options(text).interpreter) << text;
}

TEST(SystemStatement, WaitsByDefaultAndWhenAskedToo) {
    SystemHome home;
    const testing::ProgramRun run =
        home.run("a %system touch &dir.plain; b %system /Wait /DOS sleep 0.2 | xargs touch "
                 "&dir.piped; c\n");
    EXPECT_EQ(joined(run.tokens), "a |b |c ");
    EXPECT_TRUE(run.jumps.size() == 1 && run.jumps[0].message.starts_with("ERROR #173"));
    EXPECT_TRUE(home.exists("plain"));
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

TEST(SystemStatement, MissingProgramsAreSilent) {
    SystemHome home;
    const testing::ProgramRun run = home.run("a %system no-such-program-vornmac x; b\n");
    EXPECT_EQ(joined(run.tokens), "a |b ");
    EXPECT_EQ(run.jumps.size(), 1u); // only the end of the input
}

} // namespace
} // namespace vornmac
