// %index and %indexvar: the position (from 1) of the first occurrence of the second
// argument in the first, or 0. %index takes texts; %indexvar takes variable names and
// searches their values.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

class ParserContext;

// Position from 1 of the first occurrence of `needle` in `text`, compared byte for byte;
// 0 when there is none. The empty needle is found at 1.
int32_t index_of(const std::string &text, const std::string &needle);

void index_function(ParserContext &context, int16_t keyword_index);
void indexvar_function(ParserContext &context, int16_t keyword_index);

} // namespace vornmac
