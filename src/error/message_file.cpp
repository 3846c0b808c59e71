#include "error/message_file.hpp"

#include <array>

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

// Cuts the file into the pieces a 200-byte line buffer takes: up to and including a line
// feed, or 199 characters. Each byte is looked at once.
class LineReader {
  public:
    explicit LineReader(const ReadBytes &read) : read_(read) {}

    bool next(std::string &line) {
        line.clear();
        while (line.size() < line_limit) {
            const int c = get();
            if (c < 0) break;
            if (c == '\r' && peek() == '\n') continue;
            line += static_cast<char>(c);
            if (c == '\n') break;
        }
        return !line.empty();
    }

  private:
    bool fill() {
        if (at_ < size_) return true;
        if (ended_) return false;
        const int32_t got = read_(buffer_.data(), static_cast<int32_t>(buffer_.size()));
        if (got <= 0) {
            ended_ = true;
            return false;
        }
        size_ = static_cast<size_t>(got);
        at_ = 0;
        return true;
    }
    int get() { return fill() ? static_cast<unsigned char>(buffer_[at_++]) : -1; }
    int peek() { return fill() ? static_cast<unsigned char>(buffer_[at_]) : -1; }

    const ReadBytes &read_;
    std::array<char, 4096> buffer_{};
    size_t size_ = 0;
    size_t at_ = 0;
    bool ended_ = false;
};
} // namespace

std::optional<MessageLine> find_message(const ReadBytes &read, int16_t number) {
    LineReader lines(read);
    std::string line;
    while (lines.next(line)) {
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
