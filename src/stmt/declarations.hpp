// The statements that place variables at a level: %global, %savevar, %prevlevel and
// %local; and %dosenv, which imports environment variables.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void global_statement(ParserContext &context, int16_t index);
void savevar_statement(ParserContext &context, int16_t index);
void prevlevel_statement(ParserContext &context, int16_t index);
void local_statement(ParserContext &context, int16_t index);
void dosenv_statement(ParserContext &context, int16_t index);

} // namespace vornmac
