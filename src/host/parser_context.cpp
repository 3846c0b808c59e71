#include "host/parser_context.hpp"

namespace vornmac {

ParserContext::ParserContext(const char *home, int16_t count, std::vector<const char *> vector)
    : home_dir(home != nullptr ? home : ""), argc(count), argv(std::move(vector)) {}

} // namespace vornmac
