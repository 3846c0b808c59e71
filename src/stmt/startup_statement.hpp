// %startup [name, name, name=default, ...]; binds the program's arguments to global
// variables: the positional names take the arguments from the third entry of the argument
// vector on, in order; every later argument must itself be name=value. A named item sets
// its default, which a later name=value argument replaces.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void startup_statement(ParserContext &context, int16_t index);

} // namespace vornmac
