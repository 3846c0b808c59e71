// Evaluating the text a control statement collected (a condition, a loop bound or step):
// the text is handed back to the scanner, so `&` references and `%` functions in it are
// expanded as it is read, and the evaluator reads it from its first token up to the
// sentinel that ends it. Values come back after the display conversion (markers dropped).
#pragma once
#include "stmt/statement_text.hpp"

#include <cstdint>
#include <string>

namespace vornmac {

std::string evaluate_collected(ParserContext &context, StatementText &collected, SourcePosition at);
// Evaluates the expression that starts at the current token.
std::string evaluate_here(ParserContext &context);
// A condition is false only when its value is "0" (trailing white space ignored).
bool is_false(const std::string &value);
int32_t integer_of(ParserContext &context, const std::string &value);

} // namespace vornmac
