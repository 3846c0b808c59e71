#include "platform/console.hpp"

#include <cstdio>
#include <cstring>
#include <vector>

namespace vornmac::platform {

bool read_console_line(std::string &line, size_t limit) {
    std::fflush(stdout);
    std::vector<char> buffer(limit + 1);
    if (std::fgets(buffer.data(), static_cast<int>(buffer.size()), stdin) == nullptr) {
        line.clear();
        return false;
    }
    line.assign(buffer.data(), std::strlen(buffer.data()));
    return true;
}

void write_console(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void flush_console() {
    std::fflush(stdout);
}

} // namespace vornmac::platform
