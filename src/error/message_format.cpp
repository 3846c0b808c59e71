#include "error/message_format.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vornmac {

namespace {
constexpr size_t max_width = 200;

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
} // namespace

std::string format_message(const std::string &format, const std::vector<ErrorArg> &args) {
    std::string out;
    size_t next_arg = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        const size_t start = i++;
        bool left = false;
        bool plus = false;
        char fill = ' ';
        for (; i < format.size() && std::strchr("-+0 #", format[i]) != nullptr; ++i) {
            if (format[i] == '-') left = true;
            if (format[i] == '+') plus = true;
            if (format[i] == '0') fill = '0';
        }
        size_t width = 0;
        for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
            width = std::min(max_width, width * 10 + static_cast<size_t>(format[i] - '0'));
        if (i < format.size() && format[i] == 'l') ++i;
        if (i >= format.size()) {
            out.append(format, start, std::string::npos);
            break;
        }
        const char conversion = format[i];
        if (conversion == '%') {
            out += '%';
            continue;
        }
        if (std::strchr("sdic", conversion) == nullptr) {
            out.append(format, start, i - start + 1); // not ours: shown as written
            continue;
        }
        if (next_arg >= args.size()) continue;
        const ErrorArg &arg = args[next_arg++];
        std::string body;
        if (conversion == 's') {
            body = as_text(arg);
            fill = ' ';
        } else if (conversion == 'c') {
            body = std::string(1, static_cast<char>(as_integer(arg)));
            fill = ' ';
        } else {
            const long value = as_integer(arg);
            body = (plus && value >= 0 ? "+" : "") + std::to_string(value);
        }
        out += pad(body, width, left, left ? ' ' : fill);
    }
    return out;
}

} // namespace vornmac
