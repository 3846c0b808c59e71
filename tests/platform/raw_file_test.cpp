// Reading at an offset: input sources read their blocks this way, and the file's position
// must not move, since a library file's position is also read by the macro tracer.
#include "platform/platform_test_dir.hpp"
#include "platform/raw_file.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac::platform {
namespace {

TEST(RawFile, ReadAtGivesTheBytesFromTheOffsetAndLeavesThePosition) {
    testing::ScratchDir dir;
    dir.write("f", "0123456789");
    const OpenedFile file = raw_open_file(dir.path("f").c_str(), Access::read, false);
    ASSERT_GE(file.handle, 0);
    ASSERT_EQ(raw_seek(file.handle, 2, 0), 2);

    std::string bytes(4, '\0');
    EXPECT_EQ(raw_read_at(file.handle, 5, bytes.data(), 4), 4);
    EXPECT_EQ(bytes, "5678");
    EXPECT_EQ(raw_seek(file.handle, 0, 1), 2);
    // Past the end: what the file has, then nothing.
    EXPECT_EQ(raw_read_at(file.handle, 8, bytes.data(), 4), 2);
    EXPECT_EQ(bytes.substr(0, 2), "89");
    EXPECT_EQ(raw_read_at(file.handle, 10, bytes.data(), 4), 0);
    raw_close(file.handle);
}

} // namespace
} // namespace vornmac::platform
