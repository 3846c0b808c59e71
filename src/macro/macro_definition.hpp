// %macro name [(label)] [[parameter, ..., name=default, ...]] body %mend [name];
//
// `define_macro` runs right after the keyword: it reads the statement with the scanner's
// triggers off (so `%` and `&` arrive as plain tokens and the body is kept as written) and
// stores the definition in the definition file, replacing one of the same name. Nested
// %macro ... %mend pairs are copied into the body as text and defined when it runs.
//
// Body text: the tokens' texts as read, so the ";" that ends the header is the body's first
// character; "%" and a word are stored together, "%macro" and "%mend" in lower case and
// followed by the white space that followed the keyword, so that an inner macro's name
// stays a word of its own; the end marker 01 01 01 02 closes every body.
//
// Errors found while reading (2001, 2002, 2003, 2004, a name too long) are raised
// once the whole statement has been read and the scanner's triggers are on again, so a
// failed definition never leaves its body to be run as program text.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void define_macro(ParserContext &context, int16_t index);

} // namespace vornmac
