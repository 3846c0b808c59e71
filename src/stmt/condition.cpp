#include "stmt/condition.hpp"

#include "func/evaluator.hpp"

namespace vornmac {

namespace {
// Hands the collected text back to the scanner and reads its first token.
void start_collected(ParserContext &context, StatementText &collected, SourcePosition at) {
    collected.push(at);
    take_token(context);
}
} // namespace

bool collected_condition(ParserContext &context, StatementText &collected, SourcePosition at) {
    start_collected(context, collected, at);
    return eval_condition(context);
}

int32_t collected_integer(ParserContext &context, StatementText &collected, SourcePosition at) {
    start_collected(context, collected, at);
    return eval_integer(context);
}

} // namespace vornmac
