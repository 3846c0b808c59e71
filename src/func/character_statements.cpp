#include "func/character_statements.hpp"

#include "error/error_numbers.hpp"
#include "func/expression_values.hpp"
#include "host/parser_context.hpp"
#include "stmt/statement_tokens.hpp"

#include <string>

namespace vornmac {

namespace {

// The words of both statements up to the character: name, "=", a number, the character.
struct CharacterStatement {
    std::string name;
    bool name_fits = true;
    int32_t number = 0;
    char character = '\0';
};

CharacterStatement read_statement(ParserContext &context, const char *label) {
    Scanner &scanner = context.scanner;
    CharacterStatement statement;
    scanner.next_token(0);
    const char *token = scanner.next_token_text;
    size_t length = 0;
    while (token[length] != '\0' && !is_white(static_cast<unsigned char>(token[length])))
        ++length;
    statement.name.assign(token, length);
    if (statement.name.size() > statement_name_limit) {
        statement.name_fits = false;
        context.errors.raise(error::variable_name_too_long, {label + 1, statement.name.c_str()});
    }
    scanner.next_token(0);
    if (scanner.next_token_text[0] != '=')
        context.errors.raise(error::labelled_equals_expected, {label, scanner.next_token_text});
    else
        scanner.scan_token(0, 0);
    statement.number = number_value(context, scanner.next_token_text);
    scanner.next_token(0);
    statement.character = scanner.next_token_text[0];
    return statement;
}
} // namespace

void setbyte_statement(ParserContext &context, int16_t) {
    const CharacterStatement statement = read_statement(context, "%setbyte");
    VarStore &vars = context.vars;
    VarLevel *value = statement.name_fits
                          ? vars.find_var_level(vars.current_level, statement.name.c_str())
                          : nullptr;
    if (value != nullptr && statement.number >= 1 &&
        static_cast<size_t>(statement.number) <= value->length)
        VarStore::set_char(*value, static_cast<size_t>(statement.number - 1), statement.character);
    context.scanner.scan_token(0, 0);
}

void setstring_statement(ParserContext &context, int16_t) {
    const CharacterStatement statement = read_statement(context, "%setstring");
    if (statement.number > TextChain::max_length) {
        context.errors.raise(error::count_too_large,
                             {"%setstring", static_cast<int>(statement.number),
                              static_cast<int>(TextChain::max_length)});
    } else if (statement.name_fits) {
        const std::string text(statement.number > 0 ? static_cast<size_t>(statement.number) : 0,
                               statement.character);
        context.vars.save(context.vars.current_level, statement.name.c_str(), text.c_str());
    }
    context.scanner.scan_token(0, 0);
}

} // namespace vornmac
