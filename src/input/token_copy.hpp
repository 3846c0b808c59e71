// Copying a token's text out of its fixed-size buffer without a test per byte: the buffer
// is read eight bytes at a time, and each word is stored whole and checked for the
// terminator with a few arithmetic steps. Tokens are mostly shorter than a word, so one
// step usually copies the whole token. Used for the host's token pair and by the tool's
// output, which both know the buffer's size.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vornmac {

inline constexpr size_t token_word_size = sizeof(uint64_t);

inline uint64_t load_token_word(const char *from) {
    uint64_t word;
    std::memcpy(&word, from, token_word_size);
    return word;
}

inline void store_token_word(char *to, uint64_t word) {
    std::memcpy(to, &word, token_word_size);
}

// Copies the zero-terminated text at the start of `from`, a buffer of `buffer_size` bytes
// (a multiple of eight), to `to`, where `buffer_size` bytes are free; gives the text's
// length (`buffer_size` when no terminator is found). Bytes after the terminator are copied
// up to the end of its word: `to` holds the text and its terminator, and then what the
// source buffer held.
inline size_t copy_token_text(const char *from, char *to, size_t buffer_size) {
    constexpr uint64_t lows = 0x7f7f7f7f7f7f7f7fu;
    for (size_t length = 0; length < buffer_size; length += token_word_size) {
        const uint64_t word = load_token_word(from + length);
        store_token_word(to + length, word);
        // The high bit of each zero byte, and of no other.
        const uint64_t zeros = ~(((word & lows) + lows) | word | lows);
        if (zeros == 0) continue;
        const int bit = std::endian::native == std::endian::little ? std::countr_zero(zeros)
                                                                   : std::countl_zero(zeros);
        return length + static_cast<size_t>(bit) / 8;
    }
    return buffer_size;
}

} // namespace vornmac
