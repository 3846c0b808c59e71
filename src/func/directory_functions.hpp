// The functions that look at directories: %dirlist(pattern[, separator[, strip]]) lists
// the names that match the pattern, each followed by the separator ("|" when none is
// given; the separator alone when nothing matches), cut at their first "." when the strip
// flag (1, t, y, T or Y) is on; %findpath(name) is the home directory followed directly by
// the name when that file exists there and can be read or written, else the name itself.
//
// Both read their own argument list and push the result back as input. Without "(" after
// the keyword the error is reported and the token found is taken as the first one of the
// list. Trailing white space of a pattern or name is dropped, as by the original platform.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

class ParserContext;

void dirlist_function(ParserContext &context, int16_t index);
void findpath_function(ParserContext &context, int16_t index);

// The listing of the names that match the pattern.
std::string directory_listing(const std::string &pattern, char separator, bool strip);

} // namespace vornmac
