// Turning stored texts with quoting bytes into the text a host reads. A lone marker or
// quoted byte at the very end has no code after it and stays as it is.
#include "input/quoting_bytes.hpp"

namespace vornmac {

std::string without_markers(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool has_code = i + 1 < text.size();
        const char quoted = has_code && c == quoted_byte
                                ? quoted_character(static_cast<unsigned char>(text[i + 1]))
                                : '\0';
        if (has_code && c == marker_byte) {
            ++i;
        } else if (quoted != '\0') {
            out += quoted;
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace vornmac
