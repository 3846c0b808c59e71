// The statements that change which libraries are used: %macinstall puts a library file
// into one of the seven slots, %macremove empties a slot, and %macdelete removes macros
// from the definition file. Slot changes are kept in the variable file through the saved
// level of `_macro1` to `_macro7`.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void macinstall_statement(ParserContext &context, int16_t index);
void macremove_statement(ParserContext &context, int16_t index);
void macdelete_statement(ParserContext &context, int16_t index);

} // namespace vornmac
