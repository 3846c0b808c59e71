#include "vars/name_compare.hpp"

namespace vornmac {

namespace {
bool rest_is_white(const char *s, int from) {
    for (int i = from; s[i] != '\0' && i < name_compare_limit; ++i)
        if (!is_white(static_cast<unsigned char>(s[i]))) return false;
    return true;
}
} // namespace

uint32_t name_hash(const char *name) {
    // FNV-1a over the folded letters, each white-space character as a blank; the hash is
    // taken as it stood after the last other character, so trailing white space is left out.
    uint32_t hash = name_hash_seed;
    uint32_t kept = hash;
    for (int i = 0; i < name_compare_limit && name[i] != '\0'; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        hash = name_hash_step(hash, c);
        if (!is_white(c)) kept = hash;
    }
    return kept;
}

int name_compare(const char *a, const char *b) {
    for (int i = 0; i < name_compare_limit; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        // Names are mostly written as they were stored: equal bytes need no folding.
        if (ca == cb) {
            if (ca == '\0') return 0;
            continue;
        }
        if (ca == '\0') return rest_is_white(b, i) ? 0 : -1;
        if (cb == '\0') return rest_is_white(a, i) ? 0 : 1;
        if (is_white(ca) && is_white(cb)) continue;
        const unsigned char fa = fold_name_char(ca);
        const unsigned char fb = fold_name_char(cb);
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    return 0;
}

} // namespace vornmac
