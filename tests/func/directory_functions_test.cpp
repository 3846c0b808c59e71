// %dirlist and %findpath in whole programs, on files made in a temporary home.
#include "func/directory_functions.hpp"

#include "func/system_test_home.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace vornmac {
namespace {

using testing::joined;
using testing::SystemHome;

class DirectoryFunctions : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char *name : {"b.dbf", "a.dbf", "c.txt", "my file.dbf"})
            home.write(name, "x");
        std::filesystem::create_directory(home.path("sub.dbf"));
    }
    // The text the host receives, tokens joined.
    std::string output(const std::string &program) const {
        return joined(home.run(program).tokens, "");
    }
    std::string first_error(const std::string &program) const {
        const testing::ProgramRun run = home.run(program);
        return run.jumps.empty() ? "" : run.jumps.front().message;
    }
    SystemHome home;
};

TEST_F(DirectoryFunctions, DirlistListsSortedNamesEachFollowedByTheSeparator) {
    EXPECT_EQ(output("<%dirlist(&dir.\\*.dbf)> z\n"), "<a.dbf|b.dbf|my file.dbf|sub.dbf|> z ");
    EXPECT_EQ(output("<%dirlist(&dir.\\*.dbf, ;, y)> z\n"), "<a;b;my file;sub;> z ");
    EXPECT_EQ(output("<%dirlist(&dir.\\*.dbf,;,0)> z\n"), "<a.dbf;b.dbf;my file.dbf;sub.dbf;> z ");
    EXPECT_EQ(output("<%dirlist(&dir.\\my file.dbf ) > z\n"), "<my file.dbf| > z ");
}

TEST_F(DirectoryFunctions, DirlistAcceptsSlashAndBackslashAndListsDotEntries) {
    // The separator's token is followed by the "," before the strip flag.
    EXPECT_EQ(output("<%dirlist(&dir.\\s*,,,T)> z\n"), "<sub,> z ");
    EXPECT_EQ(output("<%dirlist(&dir.\\*,;,1)> z\n"),
              "<;;a;b;c;my file;sub;test;test;vorn_opt;> z ");
    std::filesystem::create_directory(home.path("sub.dbf/inner"));
    EXPECT_EQ(output("<%dirlist(&dir.sub.dbf/i*)> z\n"), "<inner|> z ");
}

TEST_F(DirectoryFunctions, DirlistOfNothingIsTheSeparatorAlone) {
    EXPECT_EQ(output("<%dirlist(&dir.\\*.xyz)> z\n"), "<|> z ");
    EXPECT_EQ(output("<%dirlist(&dir.\\missing\\*.dbf, ;)> z\n"), "<;> z ");
}

TEST_F(DirectoryFunctions, DirlistReportsAMissingParenthesis) {
    EXPECT_EQ(first_error("a %dirlist x) z\n"),
              "ERROR #2010 : Dirlist must be followed by ( but found: x\n");
    EXPECT_EQ(first_error("a %dirlist(*.x, ;, y q) z\n"),
              "ERROR #2011 : Dirlist: missing parenthesis before: q\n");
}

TEST_F(DirectoryFunctions, FindpathPrefixesTheHomeOnlyForAFileThatIsThere) {
    EXPECT_EQ(output("<%findpath(c.txt)> z\n"), "<" + home.dir() + "c.txt> z ");
    EXPECT_EQ(output("<%findpath(my file.dbf )> z\n"), "<" + home.dir() + "my file.dbf> z ");
    EXPECT_EQ(output("<%findpath(none.txt)> z\n"), "<none.txt> z ");
    EXPECT_EQ(output("<%findpath(sub.dbf)> z\n"), "<sub.dbf> z ");
    std::filesystem::permissions(home.path("c.txt"), std::filesystem::perms::none);
    EXPECT_EQ(output("<%findpath(c.txt)> z\n"), "<c.txt> z ");
    EXPECT_EQ(first_error("a %findpath c.txt) z\n"),
              "ERROR #2010 : %findpath must be followed by ( but found: c\n");
}

} // namespace
} // namespace vornmac
