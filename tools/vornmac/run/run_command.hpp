// `vornmac run`: runs a macro program in the vornmac home and writes the text that comes out
// of it. Its words are declared in run_options.hpp, the host loop lives in session.hpp.
#pragma once
#include "common/command.hpp"

namespace vornmac::tool {

std::unique_ptr<Command> add_run_command(CLI::App &root);

} // namespace vornmac::tool
