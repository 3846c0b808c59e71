// %put text; writes one line to the put file, and %* comment; which is skipped unread.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void put_statement(ParserContext &context, int16_t index);
void comment_statement(ParserContext &context, int16_t index);

} // namespace vornmac
