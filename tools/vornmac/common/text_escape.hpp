// Texts from binary files shown to a user: in double quotes, with control characters,
// quotes and backslashes escaped, so that every byte is visible and nothing is ambiguous.
#pragma once
#include <string>
#include <string_view>

namespace vornmac::tool {

// The text with control characters, quotes and backslashes escaped.
std::string escaped(std::string_view text);
// The escaped text in double quotes.
std::string escaped_quoted(std::string_view text);

} // namespace vornmac::tool
