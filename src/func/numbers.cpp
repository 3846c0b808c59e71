// The numeric field reader and the powers-of-ten table it scales with.
#include "func/numbers.hpp"

#include <cmath>

namespace vornmac {

double pow10_table[pow10_count];

void fill_pow10_table() {
    double power = 1.0;
    for (double &entry : pow10_table) {
        entry = power;
        power *= 10.0;
    }
}

double int_part(double x) {
    return std::trunc(x);
}

namespace {

// Scan states: the numeric ones follow the shape of a number, the keyword ones spell out
// HIGH or LOW letter by letter.
enum State {
    leading,        // blanks, signs, "$" and leading zeros
    integer_digits, // after the first significant digit
    fraction_digits,
    exponent_letter,
    exponent_digits, // after the exponent's sign or first digit
    trailing_blanks,
    after_h,
    after_hi,
    after_hig,
    high_done,
    after_l,
    after_lo,
    low_done,
};

enum class Keyword { none, high, low };

// A field of hundreds of digits can ask for powers past the table; the product overflows
// to infinity, as it would on paper.
double power_of_ten(int n) {
    double factor = 1.0;
    while (n >= pow10_count) {
        factor *= pow10_table[pow10_count - 1];
        n -= pow10_count - 1;
    }
    return factor * pow10_table[n];
}

// Past this the value is zero or infinite whatever else the field holds; the cap only
// keeps the accumulator from overflowing.
constexpr int32_t exponent_cap = 99999;

// Digits beyond the first nine: a double keeps long fields free of integer overflow and is
// exact up to fifteen extra digits.
constexpr int32_t value_digits = 9;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

int16_t read_number(const char *text, double &result, int16_t format, int16_t start, int16_t end) {
    const int width = format < 100 ? format : format / 100;
    int limit = width;
    if (end - start < limit) limit = end - start;

    State state = leading;

    Keyword keyword = Keyword::none;
    double sign = 1.0;
    int32_t exponent_sign = 1;
    int32_t integer_value = 0;
    double integer_extra = 0.0;
    int integer_count = 0;
    int32_t fraction_value = 0;
    double fraction_extra = 0.0;
    int fraction_count = 0;
    int32_t exponent_value = 0;
    bool zero_seen = false;
    bool error = false;
    // HIGH and LOW are spelled one letter at a time; any other order is an error.

    auto keyword_step = [&](State from, State to) {
        if (state == from)

            state = to;

        else

            error = true;
    };
    bool stop = false;

    int examined = 0;
    // An error does not end the scan: the count returned covers the whole field.
    while (examined < limit && !stop) {
        const char c = text[examined++];
        const char letter = upper(c);
        if (c == ' ') {
            if (state != leading && state != high_done && state != low_done) {
                state = trailing_blanks;
                // A 20-wide field is the only one whose trailing part is not read.
                if (width == 20) stop = true;
            }
        } else if (c == '$') {
            if (state != leading) error = true;
        } else if (c == '+' || c == '-') {
            if (state == leading) {
                sign = c == '-' ? -1.0 : 1.0;
            } else if (state == exponent_letter) {
                exponent_sign = c == '-' ? -1 : 1;
                state = exponent_digits;
            } else {
                error = true;
            }
        } else if (c == ',') {
            if (state != leading && state != integer_digits) error = true;
        } else if (c == '.') {
            if (state == leading || state == integer_digits)
                state = fraction_digits;
            else
                error = true;
        } else if (is_digit(c)) {
            const int digit = c - '0';
            if (state == leading && digit == 0) {
                zero_seen = true;
            } else if (state == leading || state == integer_digits) {
                state = integer_digits;
                if (integer_count < value_digits)
                    integer_value = integer_value * 10 + digit;
                else
                    integer_extra = integer_extra * 10.0 + digit;
                ++integer_count;
            } else if (state == fraction_digits) {
                if (fraction_count < value_digits)
                    fraction_value = fraction_value * 10 + digit;
                else
                    fraction_extra = fraction_extra * 10.0 + digit;
                ++fraction_count;
            } else if (state == exponent_letter || state == exponent_digits) {
                state = exponent_digits;
                exponent_value = exponent_value * 10 + digit;
                if (exponent_value > exponent_cap) exponent_value = exponent_cap;
            } else {
                error = true;
            }
        } else if (letter == 'E') {
            if (state == leading || state == integer_digits || state == fraction_digits)
                state = exponent_letter;
            else
                error = true;
        } else if (letter == 'H') {
            if (state == leading) {
                state = after_h;
                keyword = Keyword::high;
            } else if (state == after_hig) {
                state = high_done;
            } else {
                error = true;
            }
        } else if (letter == 'I') {
            keyword_step(after_h, after_hi);
        } else if (letter == 'G') {
            keyword_step(after_hi, after_hig);
        } else if (letter == 'L') {
            // An "L" anywhere after the start of a number is skipped, not rejected.
            if (state == leading) {
                state = after_l;
                keyword = Keyword::low;
            }
        } else if (letter == 'O') {
            keyword_step(after_l, after_lo);
        } else if (letter == 'W') {
            keyword_step(after_lo, low_done);
        } else {
            error = true;
        }
    }
    const auto count = static_cast<int16_t>(examined);

    if (error) {
        result = missing_value;
        return static_cast<int16_t>(-count);
    }
    if (keyword != Keyword::none) {
        if (state == high_done) {
            result = high_value;
            return count;
        }
        if (state == low_done) {
            result = low_value;
            return count;
        }
        result = missing_value;
        return -1;
    }
    if (integer_count == 0 && fraction_count == 0) {
        result = zero_seen ? 0.0 : missing_value;
        return count;
    }

    double value = integer_value;
    if (integer_count > value_digits)
        value = power_of_ten(integer_count - value_digits) * value + integer_extra;
    if (fraction_count != 0) {
        value *= power_of_ten(fraction_count);
        if (fraction_count <= value_digits)
            value += fraction_value;
        else // left to right, as stored values were summed: the order shows in the last bit
            value = value + power_of_ten(fraction_count - value_digits) * fraction_value +
                    fraction_extra;
    }

    // Scale in steps of 1e20 so that large exponents stay within the table.
    int32_t scale = exponent_sign * exponent_value - fraction_count;
    if (scale > 0) {
        while (scale > 20) {
            value *= pow10_table[20];
            scale -= 20;
        }
        value *= pow10_table[scale];
    } else if (scale < 0) {
        while (scale < -20) {
            value /= pow10_table[20];
            scale += 20;
        }
        value /= pow10_table[-scale];
    }
    value *= sign;

    // Implied decimals apply only to a plain integer field; a written point or exponent
    // says where the decimals are.
    const int implied = format % 100;
    if (fraction_count == 0 && exponent_sign * exponent_value == 0 && format > 100 && implied != 0)
        value /= pow10_table[implied];

    result = value;
    return count;
}

} // namespace vornmac
