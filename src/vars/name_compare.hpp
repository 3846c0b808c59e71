// The one name comparison of the library, shared by variables and keywords: A-Z fold to
// a-z (nothing else folds), any two white-space characters are equal, trailing white space
// is ignored, and only the first 200 positions count.
#pragma once
#include <cstdint>

namespace vornmac {

inline constexpr int name_compare_limit = 200;

constexpr bool is_white(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
int name_compare(const char *a, const char *b);
// A hash of the name as name_compare sees it: names that compare equal hash alike.
uint32_t name_hash(const char *name);

} // namespace vornmac
