// Every value of an expression is a text; these are the rules by which such texts are read
// as signed 32-bit integers, written back from them, and compared as texts. Integer
// arithmetic wraps at 32 bits, so reading digits does too.
#pragma once
#include "vars/name_compare.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vornmac {

class ParserContext;

// Reads an optional "+" or "-", white space, decimal digits (wrapping), white space. False
// when anything else is left; `value` then holds what was read so far. The empty text and a
// lone sign are 0.
bool read_integer(const char *text, int32_t &value);

// read_integer that raises error 2039 with the whole text when it is not a number; the value
// read so far is the result when the error returns.
int32_t number_value(ParserContext &context, const char *text);

// True when the text is not a plain integer literal: after one optional sign and the digits
// only white space may follow. So "", "-", "12" and "12 " are numbers; " 12", "1 2" and "1a"
// are not.
bool is_not_number(const char *text);

// A plain integer literal in one pass: false when is_not_number holds, else true with the
// value read_integer gives it (`value` is then set; otherwise it is left alone). Inline: it
// reads every number of every expression.
inline bool read_literal(const char *text, int32_t &value) {
    const char *at = text;
    const bool negative = *at == '-';
    if (*at == '-' || *at == '+') ++at;
    uint32_t magnitude = 0;
    for (; *at >= '0' && *at <= '9'; ++at)
        magnitude = magnitude * 10u + static_cast<uint32_t>(*at - '0');
    while (is_white(static_cast<unsigned char>(*at)))
        ++at;
    if (*at != '\0') return false;
    value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
    return true;
}

// The decimal text of an integer: "-" for negatives, no leading zeros, "0" for zero.
std::string number_text(int32_t value);

// Room for the decimal text of any 32-bit integer and its terminator.
using NumberDigits = std::array<char, 12>;
// number_text written into `digits`, terminated; returns the text.
std::string_view number_digits(int32_t value, NumberDigits &digits);

// -1, 0 or 1. Two-byte markers (a byte from 1 to 10 and the byte after it) are skipped,
// white space at the end never matters and runs of it match a single blank; other bytes
// compare as signed characters, case-sensitively.
int compare_texts(const char *a, const char *b);

} // namespace vornmac
