// %file, %fileappend and %delete, and the put file they choose. Truncating, appending and
// the error for a file that cannot be opened are shown by the manual's example.
#include "func/file_statements.hpp"

#include "func/system_test_home.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace vornmac {
namespace {

using testing::context_of;
using testing::joined;
using testing::OpenContext;
using testing::SystemHome;

// The next run opens the file named for appending; a ";" alone returns to the log. Only the
// saved level holds `_file`, so that it reaches the variable file.
TEST(FileStatement, TruncatesTheFileAndItsNameSurvivesToTheNextRun) {
    SystemHome home;
    home.write("out.txt", "old text");
    EXPECT_EQ(joined(home.run("a %file &dir.out.txt ; b\n").tokens), "a |b ");
    EXPECT_EQ(home.read("out.txt"), "");
    const OpenContext next(home.create(nullptr, "x"));
    EXPECT_STREQ(call_optstring(next.get(), "_file"), (home.dir() + "out.txt").c_str());
    EXPECT_EQ(context_of(next).vars.find_var_level(0, "_file")->level, -1);
    PutFile &put = context_of(next).put_file;
    ASSERT_NE(put.file(), nullptr);
    EXPECT_FALSE(put.to_log());
    put.file()->write_string("appended");
    put.switch_to_log();
    EXPECT_TRUE(put.to_log());
    EXPECT_EQ(put.file(), context_of(next).log.get());
    EXPECT_EQ(home.read("out.txt"), "appended");
    EXPECT_STREQ(call_optstring(next.get(), "_file"), "");
}

TEST(FileStatement, FailedOpenRaises2080AndLeavesNoPutFile) {
    SystemHome home;
    const OpenContext ctx(home.create(nullptr, "x"));
    PutFile &put = context_of(ctx).put_file;
    put.switch_to_file(home.path("no/such/dir/out.txt"), "w");
    EXPECT_EQ(context_of(ctx).errors.last_number(), 2080);
    EXPECT_FALSE(put.chosen());
    EXPECT_FALSE(put.to_log());
    EXPECT_FALSE(std::filesystem::exists(home.path("no")));
}

TEST(FileStatement, ProgramsSwitchBetweenFilesAndTheLog) {
    SystemHome home;
    const testing::ProgramRun run = home.run(
        "a %fileappend &dir.one; b %file; c %file &dir.two; %put x; d %fileappend; %put y; e\n");
    EXPECT_EQ(joined(run.tokens), "a |b |c |d |e ");
    EXPECT_TRUE(home.exists("one"));
    EXPECT_EQ(home.read("two"), "x\r\n");
    EXPECT_NE(home.read("test.log").find("y\r\n"), std::string::npos);
    const OpenContext next(home.create(nullptr, "x"));
    EXPECT_STREQ(call_optstring(next.get(), "_file"), "");
}

TEST(DeleteStatement, DeletesOnlyTheNamedFile) {
    SystemHome home;
    home.write("a b.txt", "x");
    home.write("keep.txt", "x");
    std::filesystem::create_directory(home.path("sub"));
    home.write("sub/inner", "x");
    const testing::ProgramRun run =
        home.run("a %delete &dir.a b.txt; b %delete &dir.sub; c %delete &dir.missing; d\n");
    EXPECT_EQ(joined(run.tokens), "a |b |c |d ");
    EXPECT_EQ(run.jumps.size(), 1u); // only the end of the input: deleting is silent
    EXPECT_FALSE(home.exists("a b.txt"));
    EXPECT_TRUE(home.exists("keep.txt"));
    EXPECT_TRUE(home.exists("sub/inner"));
}

} // namespace
} // namespace vornmac
