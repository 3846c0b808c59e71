#include "error/message_file.hpp"

#include <cstdlib>

namespace vornmac {

namespace {
constexpr int end_of_messages = 32000;
constexpr size_t line_limit = 199;

// A field of decimal digits ended by a space; false when there is none.
bool read_field(const std::string &line, size_t &at, long &value) {
    const size_t space = line.find(' ', at);
    if (space == std::string::npos || space == at || space - at > 9) return false;
    value = 0;
    for (size_t i = at; i < space; ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
        value = value * 10 + (line[i] - '0');
    }
    at = space + 1;
    return true;
}
} // namespace

std::optional<MessageLine> find_message(const std::string &contents, int16_t number) {
    size_t start = 0;
    while (start < contents.size()) {
        const size_t line_end = contents.find('\n', start);
        const size_t through = line_end == std::string::npos ? contents.size() : line_end + 1;
        const size_t length = std::min(through - start, line_limit);
        const std::string line = contents.substr(start, length);
        start += length;
        size_t at = 0;
        long found = 0;
        long type = 0;
        if (!read_field(line, at, found) || !read_field(line, at, type)) continue;
        if (found == end_of_messages) return std::nullopt;
        if (found == number) return MessageLine{static_cast<int>(type), line.substr(at)};
    }
    return std::nullopt;
}

} // namespace vornmac
