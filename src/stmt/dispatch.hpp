// Dispatch of the word after a `%`: a keyword runs its handler; "sys_c1" to "sys_c5" read
// a command variable's text as program input; any other name calls a user macro.
#pragma once

namespace vornmac {

class ParserContext;

void dispatch_keyword(ParserContext &context, const char *name);
void handle_undefined_word(ParserContext &context, const char *name);

} // namespace vornmac
