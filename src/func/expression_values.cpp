#include "func/expression_values.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "vars/name_compare.hpp"

#include <charconv>

namespace vornmac {

namespace {
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

const char *skip_white(const char *at) {
    while (is_white(static_cast<unsigned char>(*at)))
        ++at;
    return at;
}

bool begins_marker(char c) {
    return c >= 1 && c <= 10;
}

// Past a two-byte marker, or past a lone marker byte at the very end.
const char *skip_marker(const char *at) {
    return at[1] != '\0' ? at + 2 : at + 1;
}
} // namespace

bool read_integer(const char *text, int32_t &value) {
    const char *at = text;
    const bool negative = *at == '-';
    if (*at == '-' || *at == '+') ++at;
    at = skip_white(at);
    uint32_t magnitude = 0;
    for (; is_digit(*at); ++at)
        magnitude = magnitude * 10u + static_cast<uint32_t>(*at - '0');
    if (negative) magnitude = 0u - magnitude;
    value = static_cast<int32_t>(magnitude);
    return *skip_white(at) == '\0';
}

int32_t number_value(ParserContext &context, const char *text) {
    int32_t value = 0;
    if (!read_integer(text, value)) context.errors.raise(error::not_a_number, {text});
    return value;
}

bool is_not_number(const char *text) {
    int32_t ignored = 0;
    return !read_literal(text, ignored);
}

std::string_view number_digits(int32_t value, NumberDigits &digits) {
    // Always fits: eleven characters at most.
    char *const end = std::to_chars(digits.data(), digits.data() + digits.size() - 1, value).ptr;
    *end = '\0';
    return {digits.data(), static_cast<size_t>(end - digits.data())};
}

std::string number_text(int32_t value) {
    NumberDigits digits;
    return std::string(number_digits(value, digits));
}

int compare_texts(const char *a, const char *b) {
    for (;;) {
        if (*a == '\0' && *b == '\0') return 0;
        if (begins_marker(*a)) {
            a = skip_marker(a);
            continue;
        }
        if (begins_marker(*b)) {
            b = skip_marker(b);
            continue;
        }
        const bool white_a = is_white(static_cast<unsigned char>(*a));
        const bool white_b = is_white(static_cast<unsigned char>(*b));
        if ((*a == '\0' && white_b) || (*b == '\0' && white_a) || (white_a && white_b)) {
            a = skip_white(a);
            b = skip_white(b);
            continue;
        }
        const auto ca = static_cast<signed char>(*a);
        const auto cb = static_cast<signed char>(*b);
        if (ca != cb) return ca > cb ? 1 : -1;
        ++a;
        ++b;
    }
}

} // namespace vornmac
