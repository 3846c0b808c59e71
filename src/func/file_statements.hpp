// Statements that name a file: %file and %fileappend choose the put file (created or
// truncated, or appended to; without a name, the log again), %delete deletes a file.
// The name is the text up to the ";" that ends the statement, without the white space at
// its end (the original platform ignored blanks at the end of a file name, and the name
// must come out the same when `_file` is read back).
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void file_statement(ParserContext &context, int16_t index);
void fileappend_statement(ParserContext &context, int16_t index);
void delete_statement(ParserContext &context, int16_t index);

} // namespace vornmac
