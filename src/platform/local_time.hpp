// The local wall-clock time, the one place the library asks the system for it.
#pragma once
#include <ctime>

namespace vornmac::platform {

// Current calendar time broken down in the local time zone.
std::tm local_time_now();

} // namespace vornmac::platform
