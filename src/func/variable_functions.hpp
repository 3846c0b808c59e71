// %ismacrovar tells whether a variable is visible at the current level; %makevar sets a
// variable to the value of another one, made safe to use as a name in generated command
// text: a value that is not a plain name is wrapped in "^" marks.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

class ParserContext;

// The text %makevar stores for a source value V (trailing blanks already removed): V and
// a blank when V is a name (letters, digits and "_", not beginning with a digit), else
// "^", V, "^" and a blank.
std::string name_or_marked(const std::string &value);

void ismacrovar_function(ParserContext &context, int16_t keyword_index);
void makevar_statement(ParserContext &context, int16_t keyword_index);

} // namespace vornmac
