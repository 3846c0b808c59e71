// The counting functions: %length adds the lengths of the tokens of its argument,
// %lengthvar those of the values of the variables it names; %indexvarcount counts the "|"
// bytes in the values of the variables it names; %countchar and %countcharvar count one
// character in tokens or in variable values. Counts are taken value by value in 64 bits,
// so values of any length are counted without gathering them in one text.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

void length_function(ParserContext &context, int16_t keyword_index);
void lengthvar_function(ParserContext &context, int16_t keyword_index);
void indexvarcount_function(ParserContext &context, int16_t keyword_index);
void countchar_function(ParserContext &context, int16_t keyword_index);
void countcharvar_function(ParserContext &context, int16_t keyword_index);

} // namespace vornmac
