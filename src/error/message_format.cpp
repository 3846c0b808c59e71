#include "error/message_format.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace vornmac {

namespace {
// Padding beyond the 200-byte message buffer adds nothing but memory.
constexpr long max_field = 200;
constexpr long number_cap = 1'000'000;

bool is_one_of(char c, const char *set) {
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// One "%..." directive of a message format.
struct Directive {
    size_t end = 0; // index of the conversion letter
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    bool width_from_arg = false;
    bool precision_from_arg = false;
    long width = 0;
    long precision = -1; // none
    char length = '\0';  // 'h', 'l' or none
    char conversion = '\0';

    bool known() const { return is_one_of(conversion, "diuoxXcs"); }
};

long read_number(const std::string &format, size_t &i) {
    long n = 0;
    for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
        n = std::min(number_cap, n * 10 + (format[i] - '0'));
    return n;
}

// The directive that starts at the "%" at index i; its conversion is '\0' when the
// format ends inside it.
Directive read_directive(const std::string &format, size_t i) {
    Directive d;
    for (++i; i < format.size() && is_one_of(format[i], "-+ #0"); ++i) {
        d.left |= format[i] == '-';
        d.plus |= format[i] == '+';
        d.space |= format[i] == ' ';
        d.alternate |= format[i] == '#';
        d.zero |= format[i] == '0';
    }
    if (i < format.size() && format[i] == '*') {
        d.width_from_arg = true;
        ++i;
    } else {
        d.width = read_number(format, i);
    }
    if (i < format.size() && format[i] == '.') {
        ++i;
        if (i < format.size() && format[i] == '*') {
            d.precision_from_arg = true;
            ++i;
        } else {
            d.precision = read_number(format, i);
        }
    }
    if (i < format.size() && is_one_of(format[i], "hl")) d.length = format[i++];
    d.end = i;
    if (i < format.size()) d.conversion = format[i];
    return d;
}

// Walks the format: plain text, "%%" and directives we do not know go to `text` as
// they stand; each known directive goes to `directive`.
template <typename Text, typename Take>
void walk_format(const std::string &format, Text &&text, Take &&directive) {
    size_t plain = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        text(std::string_view(format).substr(plain, i - plain));
        const Directive d = read_directive(format, i);
        if (d.conversion == '\0') {
            plain = i;
            break;
        }
        if (d.conversion == '%')
            text("%");
        else if (!d.known())
            text(std::string_view(format).substr(i, d.end - i + 1));
        else
            directive(d);
        i = d.end;
        plain = i + 1;
    }
    if (plain < format.size()) text(std::string_view(format).substr(plain));
}

std::string as_text(const ErrorArg &arg) {
    return arg.kind == ErrorArg::Kind::text ? arg.text : std::to_string(arg.value);
}

long as_integer(const ErrorArg &arg) {
    return arg.kind == ErrorArg::Kind::integer ? arg.value
                                               : std::strtol(arg.text.c_str(), nullptr, 10);
}

std::string justify(const std::string &prefix, const std::string &body, const Directive &d,
                    bool zero_fill) {
    const size_t width = static_cast<size_t>(std::min(d.width, max_field));
    const size_t length = prefix.size() + body.size();
    if (length >= width) return prefix + body;
    const std::string fill(width - length, zero_fill && !d.left ? '0' : ' ');
    if (d.left) return prefix + body + fill;
    return zero_fill ? prefix + fill + body : fill + prefix + body;
}

std::string digits(uint32_t value, char conversion) {
    const unsigned base = conversion == 'o'                          ? 8
                          : (conversion == 'x' || conversion == 'X') ? 16
                                                                     : 10;
    const char *symbols = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), symbols[value % base]);
        value /= base;
    } while (value != 0);
    return out;
}

// Integers are 32 bits, or 16 with "h"; the value wraps as a C cast would.
std::string integer_text(const Directive &d, long raw) {
    std::string prefix;
    uint32_t magnitude;
    if (d.conversion == 'd' || d.conversion == 'i') {
        const int32_t value =
            d.length == 'h' ? static_cast<int16_t>(raw) : static_cast<int32_t>(raw);
        magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        prefix = value < 0 ? "-" : d.plus ? "+" : d.space ? " " : "";
    } else {
        magnitude = d.length == 'h' ? static_cast<uint16_t>(raw) : static_cast<uint32_t>(raw);
    }
    std::string body = d.precision == 0 && magnitude == 0 ? "" : digits(magnitude, d.conversion);
    const size_t precision = static_cast<size_t>(std::min(d.precision, max_field));
    if (d.precision > 0 && body.size() < precision) body.insert(0, precision - body.size(), '0');
    if (d.alternate && d.conversion == 'o' && (body.empty() || body[0] != '0')) body.insert(0, "0");
    if (d.alternate && (d.conversion == 'x' || d.conversion == 'X') && magnitude != 0)
        prefix = d.conversion == 'x' ? "0x" : "0X";
    return justify(prefix, body, d, d.zero && d.precision < 0);
}

std::string convert(const Directive &d, const ErrorArg &arg) {
    if (d.conversion == 's') {
        std::string text = as_text(arg);
        if (d.precision >= 0 && text.size() > static_cast<size_t>(d.precision))
            text.resize(static_cast<size_t>(d.precision));
        return justify("", text, d, false);
    }
    if (d.conversion == 'c')
        return justify("", std::string(1, static_cast<char>(as_integer(arg))), d, false);
    return integer_text(d, as_integer(arg));
}

// A "*" width below 0 means "-" and its size; a "*" precision below 0 means none.
void take_width(Directive &d, long value) {
    d.left |= value < 0;
    d.width = std::min(value < 0 ? -value : value, number_cap);
}

void take_precision(Directive &d, long value) {
    d.precision = value < 0 ? -1 : std::min(value, number_cap);
}
} // namespace

std::string format_message(const std::string &format, const std::vector<ErrorArg> &args) {
    std::string out;
    size_t next_arg = 0;
    walk_format(
        format, [&](std::string_view text) { out += text; },
        [&](Directive d) {
            // A directive whose arguments are not all there prints nothing.
            const size_t needed = 1u + d.width_from_arg + d.precision_from_arg;
            if (args.size() - next_arg < needed) {
                next_arg = args.size();
                return;
            }
            if (d.width_from_arg) take_width(d, as_integer(args[next_arg++]));
            if (d.precision_from_arg) take_precision(d, as_integer(args[next_arg++]));
            out += convert(d, args[next_arg++]);
        });
    return out;
}

std::vector<ErrorArg> args_from_va_list(const std::string &format, va_list args) {
    std::vector<ErrorArg> taken;
    walk_format(
        format, [](std::string_view) {},
        [&](Directive d) {
            if (d.width_from_arg) taken.emplace_back(va_arg(args, int));
            if (d.precision_from_arg) {
                taken.emplace_back(va_arg(args, int));
                take_precision(d, taken.back().value);
            }
            if (d.conversion != 's') {
                taken.emplace_back(va_arg(args, int));
                return;
            }
            // The host's text need not be terminated within the precision.
            const char *text = va_arg(args, const char *);
            if (text == nullptr)
                taken.emplace_back("");
            else if (d.precision < 0)
                taken.emplace_back(text);
            else
                taken.emplace_back(
                    std::string(text, strnlen(text, static_cast<size_t>(d.precision))));
        });
    return taken;
}

} // namespace vornmac
