#include "func/word_functions.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"
#include "input/quoting_bytes.hpp"

#include <algorithm>

namespace vornmac {

namespace {
constexpr int32_t whole_rest = 32000;

void scan(ParserContext &context, TokenForm form) {
    ArgumentList list(context, error::parenthesis_missing, "%Scan");
    const std::string text = list.collect(form, false);
    int32_t n = 0;
    std::string delimiters;
    if (list.next_argument()) {
        n = list.number();
        if (token_begins_with(context, ',')) advance(context);
        delimiters = list.collect(TokenForm::cleaned, true);
    }
    list.deliver(scan_word(text, n, delimiters.empty() ? default_delimiters : delimiters));
}
} // namespace

std::string scan_word(const std::string &text, int32_t n, const std::string &delimiters) {
    if (n < 1) return "";
    size_t start = 0;
    size_t end = text.size();
    int32_t seen = 0;
    for (size_t i = 0; i < text.size() && seen < n; ++i) {
        if (delimiters.find(text[i]) == std::string::npos) continue;
        ++seen;
        if (seen == n - 1) start = i + 1;
        if (seen == n) end = i;
    }
    if (seen < n - 1) return "";
    const bool quoted = text.size() >= 2 && static_cast<unsigned char>(text[0]) == marker_byte;
    if (!quoted) return text.substr(start, end - start);
    // The word stands inside the text's marker pair, which it keeps.
    if (start == 0) start = 2;
    if (end == text.size()) end = std::max(start, text.size() - 2);
    const std::string word = end > start ? text.substr(start, end - start) : std::string();
    return text.substr(0, 2) + word + quoting_marker(static_cast<unsigned char>(text[1] + 1));
}

std::string substring(const std::string &text, int32_t start, int32_t length) {
    const int64_t from = std::max<int32_t>(start, 1);
    const auto size = static_cast<int64_t>(text.size());
    if (size < from || length < 1) return "";
    const int64_t count = std::min<int64_t>(length, size - from + 1);
    return text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(count));
}

void scan_function(ParserContext &context, int16_t) {
    scan(context, TokenForm::raw);
}

void scanvar_function(ParserContext &context, int16_t) {
    scan(context, TokenForm::variable_value);
}

void substr_function(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, "%Substr");
    const std::string text = list.collect(TokenForm::cleaned, false);
    const int32_t start = list.next_argument() ? list.number() : 0;
    int32_t length = whole_rest;
    if (token_begins_with(context, ',')) {
        advance(context);
        length = list.number();
    } else if (!list.ended()) {
        context.errors.raise(error::substr_separator_expected, {token_text(context)});
        list.each_token(true, [](const char *) {}); // what stands before the ")" is dropped
    }
    list.deliver(substring(text, start, length));
}

} // namespace vornmac
