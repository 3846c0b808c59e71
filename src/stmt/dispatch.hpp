// Dispatch of the word after a `%`: a keyword runs its handler; "sys_c1" to "sys_c5" read
// a command variable's text as program input; any other name calls a user macro.
#pragma once
#include "vars/name_compare.hpp"

#include <cstdint>

namespace vornmac {

class ParserContext;

// A caller that has hashed the name already (the scanner, reading it) passes its name_hash.
void dispatch_keyword(ParserContext &context, const char *name, uint32_t hash);
inline void dispatch_keyword(ParserContext &context, const char *name) {
    dispatch_keyword(context, name, name_hash(name));
}
void handle_undefined_word(ParserContext &context, const char *name);

} // namespace vornmac
