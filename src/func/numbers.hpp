// Reading numbers from text fields of the host's data files, with the sentinel values
// that stand for "no value", HIGH and LOW, and the library-wide powers-of-ten table.
#pragma once
#include <cstdint>

namespace vornmac {

// "No value": what read_number stores whenever a field does not hold a number.
inline constexpr double missing_value = -1e301;
inline constexpr double high_value = 1e300;
inline constexpr double low_value = -1e300;

inline constexpr int pow10_count = 100;

// 10^0 .. 10^99; filled once by fill_pow10_table when a parser is initialised.
extern double pow10_table[pow10_count];

// Fills pow10_table by repeated multiplication, so stored values match those the data
// files were written with (not the nearest double to each power).
void fill_pow10_table();

// x truncated toward zero.
double int_part(double x);

// Reads the field of at most min(width, end - start) characters at `text`. `format` below
// 100 is the width; from 100 on it is width * 100 + implied decimals. Returns the number of
// characters examined, minus that count when a character was not allowed, or -1 for an
// incomplete HIGH or LOW; `result` is then missing_value.
int16_t read_number(const char *text, double &result, int16_t format, int16_t start, int16_t end);

} // namespace vornmac
