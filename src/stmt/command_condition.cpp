#include "stmt/command_condition.hpp"

#include "error/error_numbers.hpp"
#include "func/numbers.hpp"
#include "host/parser_context.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <string>

namespace vornmac {

namespace {
constexpr size_t name_part = 8;          // only this much of the condition name counts
constexpr size_t text_value_limit = 195; // longer quoted values are cut here

enum class Test { equal, unequal };

const char *token(ParserContext &context) {
    return context.scanner.next_token_text;
}

void advance(ParserContext &context) {
    context.scanner.scan_token(0, 0);
}

std::string blank_controls(std::string text) {
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    return text;
}

Test read_operator(ParserContext &context) {
    advance(context);
    if (token(context)[0] == '=') return Test::equal;
    if (token(context)[0] == '<') {
        advance(context);
        if (token(context)[0] == '>') return Test::unequal;
    }
    context.errors.raise(error::bad_condition_operator, {token(context)});
    advance(context);
    return Test::equal;
}

// A field read the way data files are read; its own length is its width.
int16_t read_field(const std::string &text, double &value) {
    const auto length = static_cast<int16_t>(std::min<size_t>(text.size(), 99));
    return read_number(text.c_str(), value, length, 0, length);
}

bool number_condition(ParserContext &context, const std::string &name, Test test) {
    // The number runs up to and including the first token that ends in white space.
    std::string text;
    for (;;) {
        advance(context);
        const std::string piece = token(context);
        text += piece;
        if (piece.empty() || is_white(static_cast<unsigned char>(piece.back()))) break;
    }
    text = blank_controls(text);
    double wanted = 0;
    if (read_field(text, wanted) < 0) {
        context.errors.raise(error::condition_not_a_number, {text.c_str()});
        return false;
    }
    const char digit = name.size() > 5 ? name[5] : '\0';
    if (digit < '1' || digit > '5') {
        context.errors.raise(error::bad_condition_digit,
                             {static_cast<int>(static_cast<unsigned char>(digit))});
        advance(context);
        return false;
    }
    double actual = 0;
    read_field(context.vars.optstring((std::string("sys_n") + digit).c_str()), actual);
    return (wanted == actual) == (test == Test::equal);
}

bool text_condition(ParserContext &context, const std::string &name, Test test) {
    advance(context);
    if (token(context)[0] != '\'') {
        context.errors.raise(error::condition_text_not_quoted);
        return false;
    }
    std::string text;
    for (advance(context); token(context)[0] != '\''; advance(context))
        text.append(token(context));
    if (text.size() > text_value_limit) text.resize(text_value_limit);
    const std::string variable = std::string("sys_c") + (name.size() > 5 ? name[5] : '\0');
    const bool same = name_compare(text.c_str(), context.vars.optstring(variable.c_str())) == 0;
    return same == (test == Test::equal);
}
} // namespace

bool read_command_condition(ParserContext &context) {
    context.scanner.next_token(0);
    std::string name = token(context);
    if (name.compare(0, 4, "sys_") != 0) {
        context.errors.raise(error::not_a_condition_name, {name.c_str()});
        return false;
    }
    if (name.size() > name_part) name.resize(name_part);
    name = blank_controls(name);
    const Test test = read_operator(context);
    const char kind = name.size() > 4 ? name[4] : '\0';
    if (kind == 'n') return number_condition(context, name, test);
    if (kind == 'c') return text_condition(context, name, test);
    context.errors.raise(error::unknown_condition_kind, {name.c_str()});
    advance(context);
    return false;
}

} // namespace vornmac
