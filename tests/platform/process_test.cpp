#include "platform/process.hpp"

#include "platform/platform_test_dir.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

namespace vornmac::platform {
namespace {

using Words = std::vector<std::string>;

size_t open_descriptor_count() {
    size_t count = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// True when this process has no child left, finished or not.
bool no_child_left() {
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// A command that was not waited for finishes on its own time: poll for its file.
bool appears_soon(const testing::ScratchDir &scratch, const std::string &name) {
    for (int i = 0; i < 500 && !scratch.exists(name); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return scratch.exists(name);
}

TEST(CommandWords, BlanksSeparateAndDoubleQuotesGroup) {
    EXPECT_EQ(command_words("  cp  a\tb "), (Words{"cp", "a", "b"}));
    EXPECT_EQ(command_words("touch \"my file\" x\"y z\"w"), (Words{"touch", "my file", "xy zw"}));
    EXPECT_EQ(command_words("echo \"\" 'a b'"), (Words{"echo", "", "'a", "b'"}));
    EXPECT_EQ(command_words("echo \"open to the end"), (Words{"echo", "open to the end"}));
    EXPECT_TRUE(command_words("   ").empty());
}

// The shell runs command lines with its own syntax.
TEST(RunCommand, WaitingReturnsOnlyWhenTheCommandHasFinished) {
    testing::ScratchDir scratch;
    run_command("sh -c \"sleep 0.2; echo done > '" + scratch.path("out") + "'\"", Interpreter::none,
                Waiting::yes);
    EXPECT_TRUE(scratch.exists("out"));
    run_command("cp '" + scratch.path("out") + "' '" + scratch.path("b") +
                    "' && sleep 0.1 && cp '" + scratch.path("b") + "' '" + scratch.path("c") + "'",
                Interpreter::shell, Waiting::yes);
    EXPECT_TRUE(scratch.exists("c"));
    EXPECT_TRUE(no_child_left());
}

TEST(RunCommand, NotWaitingLeavesNoZombieAndNoDescriptor) {
    testing::ScratchDir scratch;
    const size_t descriptors = open_descriptor_count();
    run_command("touch \"" + scratch.path("direct file") + "\"", Interpreter::none, Waiting::no);
    run_command("sleep 0.1; touch '" + scratch.path("by shell") + "'", Interpreter::shell,
                Waiting::no);
    EXPECT_TRUE(no_child_left());
    EXPECT_EQ(open_descriptor_count(), descriptors);
    EXPECT_TRUE(appears_soon(scratch, "direct file"));
    EXPECT_TRUE(appears_soon(scratch, "by shell"));
}

TEST(RunCommand, AMissingProgramIsIgnoredQuietly) {
    const size_t descriptors = open_descriptor_count();
    run_command("no-such-program-vornmac x", Interpreter::none, Waiting::yes);
    run_command("no-such-program-vornmac x", Interpreter::none, Waiting::no);
    run_command("/no/such/dir/prog", Interpreter::none, Waiting::yes);
    run_command("", Interpreter::none, Waiting::yes);
    EXPECT_TRUE(no_child_left());
    EXPECT_EQ(open_descriptor_count(), descriptors);
}

} // namespace
} // namespace vornmac::platform
