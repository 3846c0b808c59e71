// %if condition %then statement; %else statement;
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void if_statement(ParserContext &context, int16_t index);

} // namespace vornmac
