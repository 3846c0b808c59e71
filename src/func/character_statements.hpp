// Statements that change the characters of a variable's value:
//   %setbyte name = position character;   replaces the character at position (from 1) of
//       the value visible at the current level, in place; a position outside the value,
//       or a variable that does not exist, changes nothing;
//   %setstring name = count character;    sets the variable at the current level to count
//       copies of the character (none when count is 0 or less).
// The character is the first one of its token. A name longer than 59 characters is
// refused with error 4640; a count above the longest text (32767) with error 4670.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void setbyte_statement(ParserContext &context, int16_t index);
void setstring_statement(ParserContext &context, int16_t index);

} // namespace vornmac
