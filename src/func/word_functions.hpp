// %scan and %scanvar pick the n-th word of a text, words being separated by every single
// delimiter byte (two neighbouring delimiters enclose an empty word); %substr cuts a piece
// by position and length. A text that begins with a quoting marker keeps its marker pair
// around the word it gives.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

class ParserContext;

// The delimiters %scan uses when its third argument is empty.
inline constexpr char default_delimiters[] = " .<(+|&!$*);-/,%";

// Word n (from 1) of text; "" for n below 1 or when the text has fewer words.
std::string scan_word(const std::string &text, int32_t n, const std::string &delimiters);
// The `length` bytes from position `start` (from 1; a start below 1 counts as 1).
std::string substring(const std::string &text, int32_t start, int32_t length);

void scan_function(ParserContext &context, int16_t keyword_index);
void scanvar_function(ParserContext &context, int16_t keyword_index);
void substr_function(ParserContext &context, int16_t keyword_index);

} // namespace vornmac
