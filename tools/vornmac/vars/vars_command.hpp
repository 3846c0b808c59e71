// `vornmac vars FILE`: lists what a variable file holds, prints one saved value, or changes
// saved values in place, so that users can see and set the options the next run starts with.
#pragma once
#include "common/command.hpp"

namespace vornmac::tool {

std::unique_ptr<Command> add_vars_command(CLI::App &root);

} // namespace vornmac::tool
