#include "func/quoting_functions.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"
#include "input/quoting_bytes.hpp"
#include "input/text_chain.hpp"

namespace vornmac {

namespace {
enum class Triggers { on, off, unchanged };
enum class Conversion { none, unquote, lower, upper };

struct QuotingForm {
    int16_t keyword_index;
    unsigned char open_code; // 0: no markers
    Triggers triggers;
    bool protects_quotes;
    Conversion conversion;
};

constexpr QuotingForm forms[] = {
    {15, 1, Triggers::on, false, Conversion::none},
    {16, 3, Triggers::off, false, Conversion::none},
    {34, 5, Triggers::on, true, Conversion::none},
    {35, 7, Triggers::off, true, Conversion::none},
    {36, 9, Triggers::unchanged, false, Conversion::unquote},
    {37, 0, Triggers::unchanged, false, Conversion::lower},
    {38, 0, Triggers::unchanged, false, Conversion::upper},
};

const QuotingForm &form_of(int16_t keyword_index) {
    for (const QuotingForm &form : forms)
        if (form.keyword_index == keyword_index) return form;
    return forms[0];
}

// The scanner's switches while an argument is read; given back on every way out.
class ArgumentSwitches {
  public:
    ArgumentSwitches(Scanner &scanner, const QuotingForm &form)
        : scanner_(scanner), triggers_(scanner.triggers_active), protects_(form.protects_quotes) {
        if (form.triggers != Triggers::unchanged)
            scanner_.triggers_active = form.triggers == Triggers::on;
        if (protects_) ++scanner_.quote_protection;
    }
    ~ArgumentSwitches() {
        scanner_.triggers_active = triggers_;
        if (protects_) --scanner_.quote_protection;
    }
    ArgumentSwitches(const ArgumentSwitches &) = delete;
    ArgumentSwitches &operator=(const ArgumentSwitches &) = delete;

  private:
    Scanner &scanner_;
    const bool triggers_;
    const bool protects_;
};

std::string converted(const char *token, Conversion conversion) {
    if (conversion == Conversion::unquote) return cleaned_text(token);
    std::string text = token;
    for (char &c : text) {
        if (conversion == Conversion::lower && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (conversion == Conversion::upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return text;
}

// The argument up to the ")" that closes the function's own "(": parentheses inside it
// are counted.
std::string quoted_argument(ParserContext &context, ArgumentList &list, Conversion conversion) {
    TextChain chain(context.segments);
    int depth = 1;
    for (;; advance(context)) {
        const char first = token_text(context)[0];
        if (first == '(') ++depth;
        if (first == ')' && --depth == 0) break;
        list.append(chain, converted(token_text(context), conversion).c_str());
    }
    return chain.text();
}
} // namespace

void quoting_function(ParserContext &context, int16_t keyword_index) {
    const QuotingForm &form = form_of(keyword_index);
    ArgumentList list(context, error::open_parenthesis_expected, "%Nrstr or %Str",
                      ArgumentList::Start::at_open);
    std::string result;
    {
        const ArgumentSwitches switches(context.scanner, form);
        list.next_argument();
        result = quoted_argument(context, list, form.conversion);
    }
    if (form.open_code != 0)
        result = quoting_marker(form.open_code) + result + quoting_marker(form.open_code + 1);
    list.deliver(result);
}

} // namespace vornmac
