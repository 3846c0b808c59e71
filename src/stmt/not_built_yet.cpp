#include "stmt/not_built_yet.hpp"

#include "host/parser_context.hpp"
#include "stmt/keyword_table.hpp"

namespace vornmac {

namespace {
constexpr int16_t not_available = 4605;
}

void report_not_built(ParserContext &context, const char *name) {
    context.errors.raise(not_available, {name});
}

void not_built_yet(ParserContext &context, int16_t index) {
    report_not_built(context, keyword_table()[static_cast<size_t>(index)].name);
}

} // namespace vornmac
