// Environment variables of the process.
#pragma once

namespace vornmac::platform {

// The variable's value, or null when the environment has no such variable.
const char *environment_value(const char *name);

} // namespace vornmac::platform
