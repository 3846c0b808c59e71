// The bytes that carry quoting through program text: a marker (0x01 and a code) changes how
// the text after it is read, and a quoted character (0x02 and a code from 1 to 5) stands for
// one of `quoted_characters` without its special meaning. Every reader of tokens and texts
// takes these values from here.
#pragma once

namespace vornmac {

inline constexpr unsigned char marker_byte = 0x01;
inline constexpr unsigned char quoted_byte = 0x02;
inline constexpr char quoted_characters[] = "()'\"%"; // codes 1 to 5

} // namespace vornmac
