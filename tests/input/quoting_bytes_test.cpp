#include "input/quoting_bytes.hpp"
#include "input/text_chain.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

std::string cleaned(std::string text) {
    clean_text(text.data());
    return text.c_str();
}

TEST(QuotingBytes, EveryQuotedCodeIsRestoredAlikeByTheHostTextAndTheCleanedText) {
    const std::string expected[] = {"(", ")", "'", "\"", "%"};
    for (unsigned char code = 1; code <= 5; ++code) {
        const std::string quoted{static_cast<char>(quoted_byte), static_cast<char>(code)};
        EXPECT_EQ(without_markers(quoted), expected[code - 1]) << int{code};
        EXPECT_EQ(cleaned(quoted), expected[code - 1]) << int{code};
    }
}

TEST(QuotingBytes, HostTextDropsMarkersAndKeepsWhiteSpace) {
    const std::string text = quoting_marker(3) + "a\tb\n" + "\x02\x03" + "c" + quoting_marker(4);
    EXPECT_EQ(without_markers(text), "a\tb\n'c");
    EXPECT_EQ(cleaned(text), "a b 'c");
}

TEST(QuotingBytes, ByteWithoutACodeItStandsForIsKept) {
    EXPECT_EQ(without_markers("a\x01"), "a\x01");
    EXPECT_EQ(without_markers("a\x02"), "a\x02");
    EXPECT_EQ(without_markers("\x02\x06x"), "\x02\x06x");
    EXPECT_EQ(without_markers(std::string("\x02\0x", 3)), std::string("\x02\0x", 3));
    EXPECT_EQ(without_markers(empty_quoting_pair), "");
}

} // namespace
} // namespace vornmac
