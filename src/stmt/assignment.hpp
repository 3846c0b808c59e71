// The statements that set variables: %let, %append, %copyvar and %appendvar.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void let_statement(ParserContext &context, int16_t index);
void append_statement(ParserContext &context, int16_t index);
void copyvar_statement(ParserContext &context, int16_t index);
void appendvar_statement(ParserContext &context, int16_t index);

} // namespace vornmac
