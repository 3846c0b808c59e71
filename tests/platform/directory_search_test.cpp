#include "platform/directory_search.hpp"

#include "platform/platform_test_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace vornmac::platform {
namespace {

using Names = std::vector<std::string>;

class DirectorySearch : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char *name : {"b.dbf", "a.dbf", "c.txt", "my file.dbf", "noext"})
            scratch.write(name);
        std::filesystem::create_directory(scratch.path("sub.dbf"));
    }
    testing::ScratchDir scratch;
};

TEST_F(DirectorySearch, MatchesTheLastComponentAndSortsTheNames) {
    EXPECT_EQ(find_matching_names(scratch.dir() + "*.dbf"),
              (Names{"a.dbf", "b.dbf", "my file.dbf", "sub.dbf"}));
    EXPECT_EQ(find_matching_names(scratch.dir() + "?.*"), (Names{"..", "a.dbf", "b.dbf", "c.txt"}));
    EXPECT_EQ(find_matching_names(scratch.dir() + "noext"), (Names{"noext"}));
}

TEST_F(DirectorySearch, BackslashSeparatesDirectoriesLikeSlash) {
    std::string pattern = scratch.dir() + "*.txt";
    pattern[pattern.rfind('/')] = '\\';
    EXPECT_EQ(find_matching_names(pattern), (Names{"c.txt"}));
    std::string all_backslashes = scratch.dir() + "c.txt";
    std::replace(all_backslashes.begin(), all_backslashes.end(), '/', '\\');
    EXPECT_EQ(find_matching_names(all_backslashes), (Names{"c.txt"}));
}

TEST_F(DirectorySearch, StarListsEverythingIncludingDotEntries) {
    const Names all = {".", "..", "a.dbf", "b.dbf", "c.txt", "my file.dbf", "noext", "sub.dbf"};
    EXPECT_EQ(find_matching_names(scratch.dir() + "*"), all);
    EXPECT_EQ(find_matching_names(scratch.dir() + "*.*"), all);
}

TEST_F(DirectorySearch, OnlyStarAndQuestionMarkAreWild) {
    for (const char *name : {"report[1].txt", "report1.txt", "report[!1].txt", "reportx.txt"})
        scratch.write(name);
    EXPECT_EQ(find_matching_names(scratch.dir() + "report[1].txt"), (Names{"report[1].txt"}));
    EXPECT_EQ(find_matching_names(scratch.dir() + "report[!1].txt"), (Names{"report[!1].txt"}));
    EXPECT_EQ(find_matching_names(scratch.dir() + "report[*"),
              (Names{"report[!1].txt", "report[1].txt"}));
    EXPECT_EQ(find_matching_names(scratch.dir() + "report?.txt"),
              (Names{"report1.txt", "reportx.txt"}));
}

TEST_F(DirectorySearch, NothingFoundGivesNoNames) {
    EXPECT_TRUE(find_matching_names(scratch.dir() + "*.xyz").empty());
    EXPECT_TRUE(find_matching_names(scratch.dir() + "missing/*.dbf").empty());
    EXPECT_TRUE(find_matching_names(scratch.dir()).empty());
    EXPECT_TRUE(find_matching_names("").empty());
}

} // namespace
} // namespace vornmac::platform
