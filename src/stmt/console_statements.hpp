// Statements that talk to the console or to the host: %input reads a line from standard
// input (as program text, or split among variables when `_macroinput` is yes), %display
// writes its tokens to standard output, %writefile names the file the host is to write
// (`_writefile`, saved level). Each reads its statement up to and including the ";".
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void input_statement(ParserContext &context, int16_t index);
void display_statement(ParserContext &context, int16_t index);
void writefile_statement(ParserContext &context, int16_t index);

} // namespace vornmac
