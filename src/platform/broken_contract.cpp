#include "platform/broken_contract.hpp"

#include <cstdio>
#include <cstdlib>

namespace vornmac::platform {

void report_broken_contract(const char *condition, const char *file, int line) {
    std::fprintf(stderr, "vornmac: contract broken at %s:%d: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

} // namespace vornmac::platform
