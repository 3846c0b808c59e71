#include "stmt/condition.hpp"

#include "func/evaluator.hpp"
#include "func/expression_values.hpp"
#include "input/text_chain.hpp"
#include "vars/name_compare.hpp"

#include <vector>

namespace vornmac {

std::string evaluate_here(ParserContext &context) {
    std::string value = eval_expression(context);
    std::vector<char> shown(value.begin(), value.end());
    shown.push_back('\0');
    clean_text(shown.data());
    return shown.data();
}

std::string evaluate_collected(ParserContext &context, StatementText &collected,
                               SourcePosition at) {
    collected.push(at);
    take_token(context);
    return evaluate_here(context);
}

bool is_false(const std::string &value) {
    return name_compare(value.c_str(), "0") == 0;
}

int32_t integer_of(ParserContext &context, const std::string &value) {
    return number_value(context, value.c_str());
}

} // namespace vornmac
