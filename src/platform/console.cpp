#include "platform/console.hpp"

#include <climits>
#include <cstdio>

namespace vornmac::platform {

bool read_console_line(char *line, std::size_t size) {
    const int limit = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    return std::fgets(line, limit, stdin) != nullptr;
}

void write_console(const char *text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

} // namespace vornmac::platform
