// One handler serves the four assignments: %let NAME = text; sets the variable at the
// current level, %append adds the text to the visible value, and the "var" forms take each
// token of the text as the name of a variable whose value is used instead. The value keeps
// every character between the "=" token and the ";", white space after tokens included;
// a ";" inside a quoted stretch (between quoting markers) does not end it.
//
// Names are kept to 59 characters and values to what a text chain holds; a statement that
// breaks either is read to its ";" and then reported, and the variable is left unchanged.
#include "stmt/assignment.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "stmt/keyword_table.hpp"
#include "stmt/statement_text.hpp"
#include "stmt/statement_tokens.hpp"
#include "vars/name_compare.hpp"

#include <string>

namespace vornmac {

namespace {

std::string name_up_to_white(const char *token) {
    std::string name = token;
    for (size_t i = 0; i < name.size(); ++i)
        if (is_white(static_cast<unsigned char>(name[i]))) return name.substr(0, i);
    return name;
}

void assign(ParserContext &context, int16_t index, bool append, bool copy) {
    const char *keyword = keyword_table()[static_cast<size_t>(index)].name;
    const std::string name = name_up_to_white(take_name_token(context));
    const char *equals = take_name_token(context);
    if (!begins_with(equals, '=')) {
        context.errors.raise(error::equals_expected, {equals});
        return;
    }
    StatementText value(context);
    VarStore &vars = context.vars;
    if (append) value.append(vars.optstring(name.c_str()));
    int depth = 0;
    for (const char *token = take_token(context); depth != 0 || !begins_with(token, ';');
         token = take_token(context)) {
        depth += quoting_step(token);
        value.append(copy ? vars.optstring(token) : token);
    }
    if (name.size() > statement_name_limit) {
        context.errors.raise(error::variable_name_too_long, {keyword, name.c_str()});
        return;
    }
    if (value.report_overflow(keyword)) return;
    value.store(vars.current_level, name.c_str());
}

} // namespace

void let_statement(ParserContext &context, int16_t index) {
    assign(context, index, false, false);
}

void append_statement(ParserContext &context, int16_t index) {
    assign(context, index, true, false);
}

void copyvar_statement(ParserContext &context, int16_t index) {
    assign(context, index, false, true);
}

void appendvar_statement(ParserContext &context, int16_t index) {
    assign(context, index, true, true);
}

} // namespace vornmac
