// %str, %nrstr, %bquote, %nrbquote, %unquote, %lower and %upcase: one handler that reads
// its argument up to the ")" that matches its own "(" and hands it back wrapped in a pair of
// quoting markers (byte 1 and an odd code, byte 1 and the code + 1) or changed in case.
// While the argument is read, the scanner's switches are set as the function asks
// (triggers off for the nr forms, quote protection for the b forms); they are restored
// however the reading ends, errors included.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

// Takes its form from the keyword index (15 str, 16 nrstr, 34 bquote, 35 nrbquote,
// 36 unquote, 37 lower, 38 upcase).
void quoting_function(ParserContext &context, int16_t keyword_index);

} // namespace vornmac
