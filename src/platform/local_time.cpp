// Local time through localtime_r, which unlike localtime shares no static buffer.
#include "platform/local_time.hpp"

namespace vornmac::platform {

std::tm local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm broken_down{};
    localtime_r(&now, &broken_down);
    return broken_down;
}

} // namespace vornmac::platform
