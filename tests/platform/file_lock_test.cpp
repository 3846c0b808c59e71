// Locks between opens of one file: they exclude each other in one process as between
// processes, whatever name reached the file, and the wait for one is bounded.
#include "platform/file_lock.hpp"
#include "platform/platform_test_dir.hpp"
#include "platform/raw_file.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <unistd.h>

namespace vornmac::platform {
namespace {

using std::chrono::milliseconds;

class FileLockTest : public ::testing::Test {
  protected:
    FileLockTest() {
        dir.write("lib.mac", "0123456789");
        ::link(dir.path("lib.mac").c_str(), dir.path("other name").c_str());
    }
    int open(const char *name) const {
        return raw_open_file(dir.path(name).c_str(), Access::read_write, false).handle;
    }
    testing::ScratchDir dir;
};

TEST_F(FileLockTest, WritersExcludeEveryoneAndReadersOnlyWriters) {
    const UniqueHandle a(open("lib.mac"));
    const UniqueHandle b(open("other name"));
    ASSERT_EQ(lock_file(a.get(), LockKind::shared, milliseconds(0)), LockResult::held);
    EXPECT_EQ(lock_file(b.get(), LockKind::shared, milliseconds(0)), LockResult::held);
    unlock_file(b.get());
    EXPECT_EQ(lock_file(b.get(), LockKind::exclusive, milliseconds(30)), LockResult::busy);
    unlock_file(a.get());
    ASSERT_EQ(lock_file(b.get(), LockKind::exclusive, milliseconds(0)), LockResult::held);
    EXPECT_EQ(lock_file(a.get(), LockKind::shared, milliseconds(0)), LockResult::busy);
    // Closing another descriptor of the file (as a process lock would lose it) keeps it.
    raw_close(open("lib.mac"));
    EXPECT_EQ(lock_file(a.get(), LockKind::exclusive, milliseconds(0)), LockResult::busy);
    unlock_file(b.get());
}

TEST_F(FileLockTest, WaitEndsWhenTheHolderLetsGoOrAtThePatience) {
    const UniqueHandle a(open("lib.mac"));
    const UniqueHandle b(open("lib.mac"));
    ASSERT_EQ(lock_file(a.get(), LockKind::exclusive, milliseconds(0)), LockResult::held);
    std::thread holder([&] {
        std::this_thread::sleep_for(milliseconds(50));
        unlock_file(a.get());
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(lock_file(b.get(), LockKind::exclusive, milliseconds(5000)), LockResult::held);
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(4000));
    holder.join();
    {
        const FileLock busy(a.get(), LockKind::shared, milliseconds(20));
        EXPECT_FALSE(busy.usable());
    }
    unlock_file(b.get());
    const FileLock free(a.get(), LockKind::shared, milliseconds(0));
    EXPECT_TRUE(free.usable());
}

} // namespace
} // namespace vornmac::platform
