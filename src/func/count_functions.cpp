#include "func/count_functions.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"

#include <cstring>
#include <string>

namespace vornmac {

namespace {
int64_t count_of(const char *text, char c) {
    int64_t count = 0;
    for (; *text != '\0'; ++text)
        if (*text == c) ++count;
    return count;
}

const char *value_named_by(ParserContext &context, const char *token) {
    return context.vars.optstring(cleaned_text(token).c_str());
}

// Counts c in each token up to ")" (or in the value each token names).
void count_character(ParserContext &context, bool in_values) {
    ArgumentList list(context, error::parenthesis_missing, "%Charcount");
    int64_t count = 0;
    if (!list.ended()) {
        const char c = cleaned_text(token_text(context))[0];
        advance(context);
        if (token_begins_with(context, ',')) advance(context);
        list.each_token(true, [&](const char *token) {
            count += count_of(
                in_values ? value_named_by(context, token) : cleaned_text(token).c_str(), c);
        });
    }
    list.deliver(std::to_string(count));
}
} // namespace

void length_function(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, "%Length");
    // Tokens after the first are read past quoting markers, which are not counted.
    int64_t length = 0;
    while (!list.ended()) {
        length += static_cast<int64_t>(std::strlen(token_text(context)));
        context.scanner.next_token(0);
    }
    list.deliver(std::to_string(length));
}

void lengthvar_function(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, "%Lengthvar");
    int64_t length = 0;
    list.each_token(true, [&](const char *token) {
        length += static_cast<int64_t>(std::strlen(value_named_by(context, token)));
    });
    list.deliver(std::to_string(length));
}

void indexvarcount_function(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, "%Indexvarcount");
    int64_t bars = 0;
    list.each_token(
        true, [&](const char *token) { bars += count_of(value_named_by(context, token), '|'); });
    list.deliver(std::to_string(bars));
}

void countchar_function(ParserContext &context, int16_t) {
    count_character(context, false);
}

void countcharvar_function(ParserContext &context, int16_t) {
    count_character(context, true);
}

} // namespace vornmac
