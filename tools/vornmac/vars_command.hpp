// `vornmac vars FILE`: lists what a variable file holds, prints one saved value, or changes
// saved values in place, so that users can see and set the options the next run starts with.
#pragma once
#include "command_line.hpp"
#include "vars_edit.hpp"

#include <optional>
#include <string>
#include <vector>

namespace vornmac::tool {

struct VarsRequest {
    std::string path;
    std::optional<std::string> name; // print this value only
    std::vector<VarsEdit> edits;     // --set and --unset, in the order given
};

// Adds the vars command to the tool's command line; parsing it fills `request`.
void add_vars_command(CLI::App &root, VarsRequest &request);

// Exit status: 0 done, 1 the file is unreadable or malformed, or an edit was refused.
int vars_command(const VarsRequest &request);

} // namespace vornmac::tool
