// Copying a token's text into and out of its fixed-size buffer without a test per byte: the
// text is read eight bytes at a time, and each word is stored whole and checked for the
// terminator with a few arithmetic steps. Tokens are mostly shorter than a word, so one
// step usually copies the whole token. Used for the host's token pair, the log and the
// tool's output, which all know the buffer's size.
//
// A token is written into its buffer in whole words too, terminator included: a word read
// back from bytes just stored one at a time cannot be forwarded from those stores, and the
// processor waits for them to reach the cache, on every token.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

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

// load_within for a word that would reach past the end of the text. Out of line: merged
// with the whole load, it would make every load a copy of variable size through memory.
uint64_t load_token_tail(std::string_view text, size_t at);

// The eight bytes of `text` from `at` (at most its size) on, as many as there are, then
// zero bytes.
inline uint64_t load_within(std::string_view text, size_t at) {
    if (at + token_word_size > text.size()) return load_token_tail(text, at);
    return load_token_word(text.data() + at);
}

// The first `count` (0 to 7) bytes of a word, the others cleared.
inline uint64_t first_bytes(uint64_t word, size_t count) {
    const uint64_t kept = std::endian::native == std::endian::little
                              ? (uint64_t{1} << (8 * count)) - 1
                              : ~(~uint64_t{0} >> (8 * count));
    return word & kept;
}

// Each capital A to Z of a word in lower case, every other byte as it is. Per byte, with its
// high bit set aside, one sum carries into the high bit from A on, the other from past Z on;
// neither carries out of its byte.
inline uint64_t lower_capitals(uint64_t word) {
    constexpr uint64_t ones = 0x0101010101010101u;
    constexpr uint64_t highs = ones * 0x80;
    const uint64_t low = word & ~highs;
    const uint64_t capitals =
        (low + ones * (0x80 - 'A')) & ~(low + ones * (0x7f - 'Z')) & ~word & highs;
    return word + (capitals >> 2); // 0x80 >> 2 is the distance from A to a
}

// The index of the first byte of a word whose high bit is set; 8 when none is.
inline size_t first_marked(uint64_t marks) {
    const int bits = std::endian::native == std::endian::little ? std::countr_zero(marks)
                                                                : std::countl_zero(marks);
    return static_cast<size_t>(bits) / 8;
}

// Writes the first `length` bytes of `from` and a terminator to `to` in whole words, capitals
// in lower case when `Lower` is set; bytes after the terminator up to the end of its word
// are zero. `to` has room for the words.
template <bool Lower> void store_token_text(std::string_view from, size_t length, char *to) {
    auto folded = [](uint64_t word) { return Lower ? lower_capitals(word) : word; };
    size_t at = 0;
    for (; length - at >= token_word_size; at += token_word_size)
        store_token_word(to + at, folded(load_within(from, at)));
    store_token_word(to + at, first_bytes(folded(load_within(from, at)), length - at));
}

inline void store_token_text(std::string_view from, size_t length, char *to, bool lower) {
    // Most tokens fit in one word, with the word in view.
    if (length < token_word_size && from.size() >= token_word_size && !lower) {
        store_token_word(to, first_bytes(load_token_word(from.data()), length));
        return;
    }
    if (lower)
        store_token_text<true>(from, length, to);
    else
        store_token_text<false>(from, length, to);
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
        if (zeros != 0) return length + first_marked(zeros);
    }
    return buffer_size;
}

} // namespace vornmac
