// A file's stamp differs after every update a writer marks, even when updates come faster
// than the file system's clock moves; a new file appears whole, and never over another.
#include "platform/file_stamp.hpp"
#include "platform/new_file.hpp"
#include "platform/platform_test_dir.hpp"
#include "platform/raw_file.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace vornmac::platform {
namespace {

TEST(FileStamp, EveryMarkedUpdateLeavesANewStamp) {
    testing::ScratchDir dir;
    ASSERT_EQ(create_whole_file(dir.path("lib").c_str(), "abcd", 4), NewFile::created);
    const UniqueHandle file(
        raw_open_file(dir.path("lib").c_str(), Access::read_write, false).handle);
    std::set<int64_t> times;
    FileStamp last = stamp_of(file.get());
    ASSERT_TRUE(last.valid());
    EXPECT_EQ(stamp_of_path(dir.path("lib").c_str()), last);
    for (int i = 0; i < 200; ++i) {
        // The same byte again: size and contents stay, only the stamp can tell.
        ASSERT_EQ(raw_write(file.get(), "a", 1), 1);
        raw_seek(file.get(), 0, 0);
        mark_changed(file.get(), last);
        const FileStamp now = stamp_of(file.get());
        EXPECT_GT(now.modified_ns, last.modified_ns);
        EXPECT_EQ(now.size, 4);
        last = now;
    }
    EXPECT_FALSE(stamp_of_path(dir.path("none").c_str()).valid());
}

TEST(NewFile, AppearsWholeAndNeverReplacesOne) {
    testing::ScratchDir dir;
    const std::string name = dir.path("lib");
    ASSERT_EQ(create_whole_file(name.c_str(), "first", 5), NewFile::created);
    EXPECT_EQ(create_whole_file(name.c_str(), "second", 6), NewFile::exists);
    std::ostringstream bytes;
    bytes << std::ifstream(name).rdbuf();
    EXPECT_EQ(bytes.str(), "first");
    EXPECT_EQ(create_whole_file(dir.path("no/such/dir/lib").c_str(), "x", 1), NewFile::failed);
    // Nothing is left beside it.
    EXPECT_FALSE(dir.exists("lib." + std::to_string(::getpid()) + ".new"));
}

} // namespace
} // namespace vornmac::platform
