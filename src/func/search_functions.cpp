#include "func/search_functions.hpp"

#include "error/error_numbers.hpp"
#include "func/expression_values.hpp"
#include "input/argument_list.hpp"

namespace vornmac {

namespace {
void search(ParserContext &context, TokenForm form) {
    ArgumentList list(context, error::open_parenthesis_expected, "%Index");
    const std::string text = list.collect(form, false);
    const std::string needle = list.next_argument() ? list.collect(form, true) : std::string();
    list.deliver(number_text(index_of(text, needle)));
}
} // namespace

int32_t index_of(const std::string &text, const std::string &needle) {
    const size_t at = text.find(needle);
    return at == std::string::npos ? 0 : static_cast<int32_t>(at + 1);
}

void index_function(ParserContext &context, int16_t) {
    search(context, TokenForm::cleaned);
}

void indexvar_function(ParserContext &context, int16_t) {
    search(context, TokenForm::variable_value);
}

} // namespace vornmac
