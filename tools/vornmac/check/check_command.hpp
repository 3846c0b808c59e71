// `vornmac check [--home DIR] [-D NAME[=VALUE]]... [--undefined] [--json] FILE...`: reads
// macro programs without running them and prints what the library's checker finds, one
// line per finding (FILE:LINE:COLUMN: error|warning: message [name]) or as a JSON array.
// It only prints: the checker reads the home's variable file and libraries, never the
// tool, and nothing is created, written or logged.
#pragma once
#include "common/command.hpp"

namespace vornmac::tool {

std::unique_ptr<Command> add_check_command(CLI::App &root);

} // namespace vornmac::tool
