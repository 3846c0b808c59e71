// Text helpers of the golden program tests: the visible escaped form that case files use
// for bytes, the glob patterns of expected values and log lines, and file reading.
//
// Escaped form: printable ASCII stands for itself, "\\" for a backslash, "\n" "\r" "\t"
// for the control characters and "\xHH" for any other byte. Patterns: "<*>" matches any
// run of characters, "<DATE>" one date in the 24-character ctime form.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace golden {

inline std::string escape(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte > 0x7e) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

inline int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw std::runtime_error("bad hex digit in escape");
}

inline std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) throw std::runtime_error("escape at end of text");
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x':
            if (i + 2 >= text.size()) throw std::runtime_error("short \\x escape");
            out += static_cast<char>(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2]));
            i += 2;
            break;
        default:
            throw std::runtime_error("unknown escape \\" + std::string(1, text[i]));
        }
    }
    return out;
}

inline bool is_ctime_date(std::string_view text) {
    static const std::regex date(
        R"([A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4})");
    return std::regex_match(text.begin(), text.end(), date);
}

inline bool glob_match(std::string_view pattern, std::string_view text) {
    static constexpr std::string_view any = "<*>";
    static constexpr std::string_view date = "<DATE>";
    static constexpr std::size_t date_length = 24;
    if (pattern.empty()) return text.empty();
    if (pattern.starts_with(any)) {
        for (std::size_t skip = 0; skip <= text.size(); ++skip)
            if (glob_match(pattern.substr(any.size()), text.substr(skip))) return true;
        return false;
    }
    if (pattern.starts_with(date)) {
        return text.size() >= date_length && is_ctime_date(text.substr(0, date_length)) &&
               glob_match(pattern.substr(date.size()), text.substr(date_length));
    }
    return !text.empty() && pattern.front() == text.front() &&
           glob_match(pattern.substr(1), text.substr(1));
}

inline std::string read_file(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path &path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Lines of a text file without their line feeds; a final line feed ends the last line
// rather than opening an empty one.
inline std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline void replace_all(std::string &text, std::string_view from, std::string_view to) {
    if (from.empty()) return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace golden
