// What the checker asks of a token's text: its first character, its word without the
// white space and period that end it, and whether white space begins or ends it.
#pragma once
#include "input/lexer.hpp"

#include <string_view>

namespace vornmac::check {

inline std::string_view trimmed(std::string_view text) {
    while (!text.empty() &&
           (is_white(static_cast<unsigned char>(text.back())) || text.back() == '.'))
        text.remove_suffix(1);
    return text;
}

inline bool ends_in_white(std::string_view text) {
    return !text.empty() && is_white(static_cast<unsigned char>(text.back()));
}

inline char first_of(const Token &token) {
    return token.text.empty() ? '\0' : token.text.front();
}

inline bool starts_white(const Token &token) {
    return !token.text.empty() && is_white(static_cast<unsigned char>(token.text.front()));
}

} // namespace vornmac::check
