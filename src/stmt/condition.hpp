// Evaluating the text a control statement collected (a condition, a loop bound or step):
// the text is handed back to the scanner, so `&` references and `%` functions in it are
// expanded as it is read, and the evaluator reads it from its first token up to the
// sentinel that ends it. Values are taken after the display conversion (markers dropped).
#pragma once
#include "stmt/statement_text.hpp"

#include <cstdint>

namespace vornmac {

// A collected condition: false only when its value is "0" (trailing white space ignored).
bool collected_condition(ParserContext &context, StatementText &collected, SourcePosition at);
// A collected loop bound or step, read as an integer (error 2039 when it is none).
int32_t collected_integer(ParserContext &context, StatementText &collected, SourcePosition at);

} // namespace vornmac
