#include "error/message_format.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vornmac {

namespace {
constexpr size_t max_width = 200;

// One "%..." directive of a message format.
struct Directive {
    size_t end = 0; // index of the conversion letter, or the format's size when cut short
    bool left = false;
    bool plus = false;
    bool is_long = false;
    char fill = ' ';
    size_t width = 0;
    char conversion = '\0'; // '\0' when the format ends inside the directive
};

Directive read_directive(const std::string &format, size_t i) {
    Directive d;
    for (++i; i < format.size() && std::strchr("-+0 #", format[i]) != nullptr; ++i) {
        if (format[i] == '-') d.left = true;
        if (format[i] == '+') d.plus = true;
        if (format[i] == '0') d.fill = '0';
    }
    for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
        d.width = std::min(max_width, d.width * 10 + static_cast<size_t>(format[i] - '0'));
    if (i < format.size() && format[i] == 'l') {
        d.is_long = true;
        ++i;
    }
    d.end = i;
    if (i < format.size()) d.conversion = format[i];
    return d;
}

bool takes_argument(char conversion) {
    return conversion != '\0' && std::strchr("sdic", conversion) != nullptr;
}

std::string pad(std::string body, size_t width, bool left, char fill) {
    if (body.size() >= width) return body;
    const size_t extra = width - body.size();
    if (left) return body + std::string(extra, ' ');
    if (fill == '0' && !body.empty() && (body[0] == '-' || body[0] == '+'))
        return body.substr(0, 1) + std::string(extra, '0') + body.substr(1);
    return std::string(extra, fill) + body;
}

std::string as_text(const ErrorArg &arg) {
    return arg.kind == ErrorArg::Kind::text ? arg.text : std::to_string(arg.value);
}

long as_integer(const ErrorArg &arg) {
    return arg.kind == ErrorArg::Kind::integer ? arg.value : std::strtol(arg.text, nullptr, 10);
}

std::string convert(const Directive &d, const ErrorArg &arg) {
    if (d.conversion == 's') return pad(as_text(arg), d.width, d.left, ' ');
    if (d.conversion == 'c')
        return pad(std::string(1, static_cast<char>(as_integer(arg))), d.width, d.left, ' ');
    const long value = as_integer(arg);
    const std::string body = (d.plus && value >= 0 ? "+" : "") + std::to_string(value);
    return pad(body, d.width, d.left, d.left ? ' ' : d.fill);
}
} // namespace

std::string format_message(const std::string &format, const std::vector<ErrorArg> &args) {
    std::string out;
    size_t next_arg = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        const Directive d = read_directive(format, i);
        if (d.conversion == '\0') {
            out.append(format, i, std::string::npos);
            break;
        }
        const size_t start = i;
        i = d.end;
        if (d.conversion == '%')
            out += '%';
        else if (!takes_argument(d.conversion))
            out.append(format, start, i - start + 1); // not ours: shown as written
        else if (next_arg < args.size())
            out += convert(d, args[next_arg++]);
    }
    return out;
}

std::vector<ErrorArg> args_from_va_list(const std::string &format, va_list args) {
    std::vector<ErrorArg> taken;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        const Directive d = read_directive(format, i);
        if (d.conversion == '\0') break;
        i = d.end;
        if (d.conversion == 's')
            taken.emplace_back(va_arg(args, const char *));
        else if (takes_argument(d.conversion))
            taken.emplace_back(d.is_long ? va_arg(args, long) : va_arg(args, int));
    }
    return taken;
}

} // namespace vornmac
