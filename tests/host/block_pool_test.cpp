#include "host/block_pool.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace vornmac {
namespace {

class BlockPoolTest : public ::testing::Test {
  protected:
    ChunkAllocator chunks;
    BlockPool pool{chunks};
};

TEST_F(BlockPoolTest, SizesRoundIntoClassesOfSixteen) {
    EXPECT_EQ(BlockPool::usable_size(pool.alloc(1)), 16);
    EXPECT_EQ(BlockPool::usable_size(pool.alloc(14)), 16);
    // Odd sizes are rounded up to even first, so 15 counts as 16.
    EXPECT_EQ(BlockPool::usable_size(pool.alloc(15)), 32);
    EXPECT_EQ(BlockPool::usable_size(pool.alloc(16)), 32);
    EXPECT_EQ(BlockPool::usable_size(pool.alloc(17)), 32);
    EXPECT_EQ(BlockPool::usable_size(pool.alloc(15998)), 999 * 16 + 16);
}

TEST_F(BlockPoolTest, FreedBlockIsReusedLastInFirstOut) {
    void *a = pool.alloc(20);
    void *b = pool.alloc(30);
    pool.free(a);
    pool.free(b);
    EXPECT_EQ(pool.alloc(17), b); // same class, newest first
    EXPECT_EQ(pool.alloc(30), a);
    EXPECT_NE(pool.alloc(20), a);
}

TEST_F(BlockPoolTest, BlocksOfOtherClassesAreNotReused) {
    void *a = pool.alloc(10);
    pool.free(a);
    EXPECT_NE(pool.alloc(40), a);
}

TEST_F(BlockPoolTest, LargeBlockIsReusedOnlyForStrictlySmallerRequest) {
    void *big = pool.alloc(20000);
    EXPECT_EQ(BlockPool::usable_size(big), 20000);
    std::memset(big, 'x', 20000);
    pool.free(big);
    void *same = pool.alloc(20000);
    EXPECT_NE(same, big);
    EXPECT_EQ(pool.alloc(19000), big);
    EXPECT_EQ(BlockPool::usable_size(big), 20000); // keeps its capacity
}

TEST_F(BlockPoolTest, FifteenThousandNineHundredNinetyNineIsLarge) {
    void *b = pool.alloc(15999);
    EXPECT_EQ(BlockPool::usable_size(b), 16000);
}

// The largest requests round past 16 bits; they must still get every byte they ask for.
TEST_F(BlockPoolTest, LargestRequestsGetAllTheirBytes) {
    for (const std::uint16_t size : {std::uint16_t{65534}, std::uint16_t{65535}}) {
        auto *block = static_cast<unsigned char *>(pool.alloc(size));
        EXPECT_GE(BlockPool::usable_size(block), size);
        std::memset(block, 0xab, size);
        auto *after = static_cast<unsigned char *>(pool.alloc(100));
        std::memset(after, 0xcd, 100);
        EXPECT_EQ(block[size - 1], 0xab);
        pool.free(block);
    }
}

TEST_F(BlockPoolTest, ManyBlocksDoNotOverlap) {
    constexpr int count = 3000;
    unsigned char *blocks[count];
    for (int i = 0; i < count; ++i) {
        blocks[i] = static_cast<unsigned char *>(pool.alloc(static_cast<uint16_t>(1 + i % 97)));
        std::memset(blocks[i], i & 0xff, 1 + i % 97);
    }
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < 1 + i % 97; ++j)
            ASSERT_EQ(blocks[i][j], i & 0xff);
}

TEST(ChunkAllocator, OversizedPieceGetsAChunkOfItsOwn) {
    ChunkAllocator chunks;
    EXPECT_EQ(chunks.chunk_count(), 1u);
    chunks.alloc(20000);
    EXPECT_EQ(chunks.chunk_count(), 2u);
    EXPECT_EQ(chunks.free_in_current(), 0u);
}

TEST(ChunkAllocator, PieceThatDoesNotFitStartsANewChunk) {
    ChunkAllocator chunks;
    chunks.alloc(15904);
    EXPECT_EQ(chunks.free_in_current(), 96u);
    chunks.alloc(16000);
    EXPECT_EQ(chunks.chunk_count(), 2u);
    EXPECT_EQ(chunks.free_in_current(), 0u);
}

TEST(ChunkAllocator, ZeroSizeReturnsCurrentPositionAndChangesNothing) {
    ChunkAllocator chunks;
    auto *a = static_cast<char *>(chunks.alloc(0));
    auto *b = static_cast<char *>(chunks.alloc(8));
    EXPECT_EQ(a, b);
    EXPECT_EQ(chunks.free_in_current(), 16000u - 8u);
}

} // namespace
} // namespace vornmac
