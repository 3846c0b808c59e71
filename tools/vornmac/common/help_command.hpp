// `vornmac help [COMMAND]`: the page that `vornmac --help` (or `vornmac COMMAND --help`)
// shows. It knows the commands from the command line it is added to, so it is added last.
#pragma once
#include "common/command.hpp"

namespace vornmac::tool {

std::unique_ptr<Command> add_help_command(CLI::App &root);

} // namespace vornmac::tool
