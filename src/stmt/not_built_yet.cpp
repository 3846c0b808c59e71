#include "stmt/not_built_yet.hpp"

#include "host/parser_context.hpp"
#include "stmt/keyword_table.hpp"
#include "vars/name_compare.hpp"

#include <string>

namespace vornmac {

namespace {
constexpr int16_t not_available = 4605;
}

void report_not_built(ParserContext &context, const char *name) {
    // The word after % may carry the white space that followed it.
    std::string word = name;
    while (!word.empty() && is_white(static_cast<unsigned char>(word.back())))
        word.pop_back();
    context.errors.raise(not_available, {word.c_str()});
}

void not_built_yet(ParserContext &context, int16_t index) {
    report_not_built(context, keyword_table()[static_cast<size_t>(index)].name);
}

} // namespace vornmac
