#include "platform/environment.hpp"

#include <cstdlib>

namespace vornmac::platform {

const char *environment_value(const char *name) {
    return std::getenv(name);
}

} // namespace vornmac::platform
