// The bytes that carry quoting through program text: a marker (0x01 and a code) changes how
// the text after it is read, and a quoted character (0x02 and a code from 1 to 5) stands for
// one of `quoted_characters` without its special meaning. Every reader of tokens and texts
// takes these values from here.
#pragma once
#include <string>
#include <string_view>

namespace vornmac {

inline constexpr unsigned char marker_byte = 0x01;
inline constexpr unsigned char quoted_byte = 0x02;
inline constexpr char quoted_characters[] = "()'\"%"; // codes 1 to 5

// An empty pair of %str markers: read back it changes nothing, so it closes stored macro
// bodies and typed lines.
inline constexpr std::string_view empty_quoting_pair{"\x01\x01\x01\x02", 4};

// The character a quoted-character code stands for; '\0' for a code outside 1 to 5.
constexpr char quoted_character(unsigned char code) {
    return code >= 1 && code <= 5 ? quoted_characters[code - 1] : '\0';
}

// A marker with its code, as a text stores it.
inline std::string quoting_marker(unsigned char code) {
    return {static_cast<char>(marker_byte), static_cast<char>(code)};
}

// The text as a host reads it: each marker with its code dropped, each quoted character
// restored; every other byte, white space included, stays.
std::string without_markers(std::string_view text);

} // namespace vornmac
