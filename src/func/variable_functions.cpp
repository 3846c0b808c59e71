#include "func/variable_functions.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"
#include "input/text_chain.hpp"
#include "stmt/statement_tokens.hpp"
#include "vars/name_compare.hpp"

namespace vornmac {

namespace {

bool is_name_byte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string without_trailing_blanks(std::string text) {
    text.resize(text.size() - static_cast<size_t>(trailing_blanks(text.c_str())));
    return text;
}

std::string cut_at_white(const char *text) {
    std::string word = text;
    for (size_t i = 0; i < word.size(); ++i)
        if (is_white(static_cast<unsigned char>(word[i]))) {
            word.resize(i);
            break;
        }
    return word;
}
} // namespace

std::string name_or_marked(const std::string &value) {
    bool plain = value.empty() || !(value[0] >= '0' && value[0] <= '9');
    for (const char c : value)
        plain = plain && is_name_byte(c);
    return plain ? value + " " : "^" + value + "^ ";
}

void ismacrovar_function(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, "%Ismacrovar");
    bool exists = false;
    if (!list.ended()) {
        VarStore &vars = context.vars;
        exists = vars.find_var_level(vars.current_level, token_text(context)) != nullptr;
        advance(context);
        if (!list.ended())
            context.errors.raise(error::parenthesis_missing, {"%Ismacrovar", token_text(context)});
    }
    list.deliver(exists ? "1" : "0");
}

void makevar_statement(ParserContext &context, int16_t) {
    Scanner &scanner = context.scanner;
    scanner.next_token(0);
    const std::string target = cut_at_white(scanner.next_token_text);
    scanner.next_token(0);
    if (scanner.next_token_text[0] != '=') {
        context.errors.raise(error::equals_expected, {scanner.next_token_text});
        return;
    }
    scanner.next_token(0);
    const std::string text =
        name_or_marked(without_trailing_blanks(context.vars.optstring(scanner.next_token_text)));
    advance(context);
    // A name that does not fit is refused once the whole statement is read, so the host
    // goes on after it.
    if (target.size() > statement_name_limit) {
        context.errors.raise(error::variable_name_too_long, {"makevar", target.c_str()});
        return;
    }
    context.vars.save(context.vars.current_level, target.c_str(), text.c_str());
}

} // namespace vornmac
