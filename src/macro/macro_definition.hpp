// %macro name [(label)] [[parameter, ..., name=default, ...]] body %mend [name];
//
// `define_macro` runs right after the keyword: it reads the statement with the scanner's
// triggers off (so `%` and `&` arrive as plain tokens and the body is kept as written) and
// stores the definition in the definition file, replacing one of the same name. Nested
// %macro ... %mend pairs are copied into the body as text and defined when it runs.
//
// Body text: the tokens' texts as read, so the ";" that ends the header is the body's first
// character; "%" and the word after it are stored together (white space between them is
// dropped), "%macro" and "%mend" in lower case and followed by the white space that
// followed the keyword, so that an inner macro's name stays a word of its own; the end
// marker 01 01 01 02 closes every body.
//
// Errors (2001, 2002, 2003, 2004, a name too long) are raised at the token where they are
// met, with the scanner's triggers on again: a host that goes on after one reads the rest
// of the statement as program text, from the token after the one that failed. When the
// error returns (no host mark), reading goes on and the definition is stored.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void define_macro(ParserContext &context, int16_t index);

} // namespace vornmac
