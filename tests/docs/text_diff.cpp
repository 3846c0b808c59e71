// A longest-common-subsequence diff over lines; example texts are short, so the
// quadratic table costs nothing worth saving.
#include "text_diff.hpp"

#include <cstdio>
#include <vector>

namespace vornmac::docs {

namespace {

// The text's lines; a last line without a line feed is marked, since that differs too.
std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "\\ (no line feed)");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string visible(const std::string &line) {
    std::string shown;
    for (unsigned char c : line) {
        if (c < 32 || c == 127) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown + "|";
}

} // namespace

std::string line_diff(const std::string &expected, const std::string &actual) {
    const std::vector<std::string> a = lines_of(expected);
    const std::vector<std::string> b = lines_of(actual);
    // common[i][j]: length of the longest common subsequence of a[i..] and b[j..].
    std::vector<std::vector<size_t>> common(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = a.size(); i-- > 0;)
        for (size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    std::string diff;
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            diff += "   " + visible(a[i++]) + "\n";
            ++j;
        } else if (j < b.size() && (i == a.size() || common[i][j + 1] >= common[i + 1][j])) {
            diff += " + " + visible(b[j++]) + "\n";
        } else {
            diff += " - " + visible(a[i++]) + "\n";
        }
    }
    return diff;
}

} // namespace vornmac::docs
