// Statements that change where the program text comes from: %include reads another program
// file and comes back after the statement, %goto reads another file instead of the rest of
// the current source, and their conditional forms test a command variable first
// (%include_if, %goto_if). %macro_if calls a macro when its condition holds. Each handler
// reads its statement up to the ";" and, when a file is to be read, pushes it on the input
// stack one variable level above the statement.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void include_statement(ParserContext &context, int16_t index);
void goto_statement(ParserContext &context, int16_t index);
void include_if_statement(ParserContext &context, int16_t index);
void goto_if_statement(ParserContext &context, int16_t index);
void macro_if_statement(ParserContext &context, int16_t index);

} // namespace vornmac
