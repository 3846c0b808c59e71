#include "platform/message_box.hpp"

#include <cstdio>

namespace vornmac::platform {

void show_message_box(const char *caption, const char *text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

} // namespace vornmac::platform
