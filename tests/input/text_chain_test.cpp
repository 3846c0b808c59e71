#include "input/text_chain.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

class TextChainTest : public ::testing::Test {
  protected:
    ChunkAllocator chunks;
    BlockPool pool{chunks};
    SegmentSupply supply{pool};
    std::string flat(const TextChain &chain) {
        char *text = chain.flatten();
        std::string result = text;
        pool.free(text);
        return result;
    }
};

TEST_F(TextChainTest, AppendsAcrossSegments) {
    TextChain chain(supply);
    std::string expected;
    for (int i = 0; i < 300; ++i)
        expected += static_cast<char>('a' + i % 26);
    EXPECT_TRUE(chain.append(expected.substr(0, 100).c_str()));
    EXPECT_TRUE(chain.append(expected.substr(100).c_str()));
    EXPECT_EQ(chain.length(), 300);
    EXPECT_EQ(flat(chain), expected);
}

TEST_F(TextChainTest, ReleasedSegmentsAreReusedFirst) {
    TextChain::Segment *reused;
    {
        TextChain chain(supply);
        chain.append("x");
        reused = supply.take();
        supply.give_back(reused);
    }
    // The chain's segment went back last, so it comes out first.
    TextChain::Segment *again = supply.take();
    TextChain::Segment *next = supply.take();
    EXPECT_EQ(next, reused);
    supply.give_back(again);
    supply.give_back(next);
}

TEST_F(TextChainTest, RefusesToGrowPastThirtyTwoThousand) {
    TextChain chain(supply);
    const std::string big(32000, 'z');
    EXPECT_TRUE(chain.append(big.c_str()));
    EXPECT_FALSE(chain.append(std::string(800, 'y').c_str()));
    EXPECT_EQ(chain.length(), 32000);
    EXPECT_TRUE(chain.append(std::string(767, 'y').c_str()));
    EXPECT_EQ(chain.length(), 32767);
}

TEST(CleanText, MarkersAreDroppedOrMadePlain) {
    char text[] = "\x02\x01"
                  "a\x01\x03\tb\x02\x05";
    clean_text(text);
    EXPECT_STREQ(text, "(a b%");
    char high[] = "x\x80y";
    clean_text(high);
    EXPECT_STREQ(high, "x y");
}

TEST(TrailingBlanks, CountsOnlyBlanks) {
    EXPECT_EQ(trailing_blanks(")   "), 3);
    EXPECT_EQ(trailing_blanks(")"), 0);
    EXPECT_EQ(trailing_blanks(") \t"), 0);
    EXPECT_EQ(trailing_blanks(""), 0);
}

} // namespace
} // namespace vornmac
