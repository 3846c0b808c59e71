// The 93 keywords of the macro language in their fixed order: a keyword's index is its
// identity, and its statement flag tells whether it ends at its ";" (1) or stands inside
// text as a function (0). The sorted index is library-wide, built by the first start-up.
#pragma once
#include "vars/name_compare.hpp"

#include <array>
#include <cstdint>

namespace vornmac {

class ParserContext;

// Runs after the scanner has consumed `%` and the keyword; reads its own arguments.
using KeywordHandler = void (*)(ParserContext &context, int16_t index);

struct Keyword {
    const char *name;
    bool statement;
    KeywordHandler handler; // null: the keyword is consumed and nothing else happens
};

inline constexpr int keyword_count = 93;

// Inline: dispatch reads the entry of every keyword it runs.
extern const std::array<Keyword, keyword_count> keyword_entry_table;
inline const std::array<Keyword, keyword_count> &keyword_table() {
    return keyword_entry_table;
}
void build_keyword_order();
// The keyword's index, or -1. A caller that has hashed the name already passes its
// name_hash.
int16_t find_keyword(const char *name, uint32_t hash);
inline int16_t find_keyword(const char *name) {
    return find_keyword(name, name_hash(name));
}
bool keyword_statement_flag(const char *name);

} // namespace vornmac
