// Token texts are copied a word at a time: each length is checked against a byte-by-byte
// copy, at every distance from the end of the source, and the case folding against the
// byte rule for all 256 byte values in every position of a word.
#include "input/token_copy.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace vornmac {
namespace {

TEST(TokenCopy, StoredTextIsTheSourcePrefixThenZerosToTheEndOfItsWord) {
    const std::string source = "copy in=file12.dbf out=out7.sav keep alpha beta;\n";
    for (size_t length = 0; length < 40; ++length) {
        // The source may end right after the text, or a few bytes later.
        for (size_t slack = 0; slack < 10; ++slack) {
            const std::string_view from(source.data(), length + slack);
            std::array<char, 64> to;
            to.fill('#');
            store_token_text(from, length, to.data(), false);
            const size_t word_end = (length / token_word_size + 1) * token_word_size;
            EXPECT_EQ(std::string(to.data(), length), source.substr(0, length));
            EXPECT_EQ(std::string(to.data() + length, word_end - length),
                      std::string(word_end - length, '\0'))
                << length << " " << slack;
            EXPECT_EQ(to[word_end], '#') << "written past the word of the terminator";
        }
    }
}

TEST(TokenCopy, LoweringChangesCapitalsOnlyInEveryPositionOfAWord) {
    for (int value = 0; value < 256; ++value) {
        const char c = static_cast<char>(value);
        const char expected = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
        for (size_t position = 0; position < token_word_size; ++position) {
            // Neighbours that sit on either side of the capital range.
            std::string source = "@Z[a`z{A";
            source[position] = c;
            std::array<char, 16> to{};
            store_token_text(source, source.size(), to.data(), true);
            for (size_t i = 0; i < source.size(); ++i) {
                const char want = i == position ? expected
                                  : source[i] >= 'A' && source[i] <= 'Z'
                                      ? static_cast<char>(source[i] + ('a' - 'A'))
                                      : source[i];
                ASSERT_EQ(to[i], want) << "byte " << value << " at " << position << ", " << i;
            }
        }
    }
}

TEST(TokenCopy, CopiedTokenEndsAtItsTerminatorWhateverFollowsIt) {
    std::array<char, 32> from;
    for (size_t length = 0; length < from.size(); ++length) {
        from.fill('\xff');
        for (size_t i = 0; i < length; ++i)
            from[i] = i % 5 == 4 ? '\x80' : static_cast<char>('a' + i % 26);
        from[length] = '\0';
        std::array<char, 32> to{};
        EXPECT_EQ(copy_token_text(from.data(), to.data(), from.size()), length);
        EXPECT_EQ(std::string(to.data()), std::string(from.data(), length));
    }
}

} // namespace
} // namespace vornmac
