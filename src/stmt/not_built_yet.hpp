// Keywords and macro calls whose handlers this version does not have yet are routed here:
// they raise error 4605 with the name instead of silently doing nothing.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void not_built_yet(ParserContext &context, int16_t index);
void report_not_built(ParserContext &context, const char *name);

} // namespace vornmac
