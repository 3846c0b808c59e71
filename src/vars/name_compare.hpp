// The one name comparison of the library, shared by variables and keywords: A-Z fold to
// a-z (nothing else folds), any two white-space characters are equal, trailing white space
// is ignored, and only the first 200 positions count.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

inline constexpr int name_compare_limit = 200;

constexpr bool is_white(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
// How names compare letters: A-Z as a-z.
constexpr unsigned char fold_name_char(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
int name_compare(const char *a, const char *b);
// A name as hosts are shown it: without the trailing white space comparison ignores.
inline std::string without_trailing_white(std::string name) {
    while (!name.empty() && is_white(static_cast<unsigned char>(name.back())))
        name.pop_back();
    return name;
}
// A hash of the name as name_compare sees it: names that compare equal hash alike.
uint32_t name_hash(const char *name);

// The steps of name_hash, for a reader that hashes a name while it scans it: the hash
// starts as name_hash_seed and takes each character up to the trailing white space.
inline constexpr uint32_t name_hash_seed = 2166136261u;
// The step for a character as name_compare sees it: folded, white space as a blank.
constexpr uint32_t name_hash_step_seen(uint32_t hash, unsigned char seen) {
    return (hash ^ seen) * 16777619u;
}
constexpr uint32_t name_hash_step(uint32_t hash, unsigned char c) {
    return name_hash_step_seen(hash, is_white(c) ? ' ' : fold_name_char(c));
}

} // namespace vornmac
