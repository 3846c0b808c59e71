// `vornmac lib list|print|check FILE`: shows what a macro library file holds without
// writing a program, and tells precisely where a damaged one is wrong. It reads the file
// with the library's own format reader (src/macro/library_check.hpp), so the tool and the
// parser never disagree about the format; none of the commands changes the file.
#pragma once
#include "command_line.hpp"

#include <string>
#include <vector>

namespace vornmac::tool {

struct LibRequest {
    enum class Action { list, print, check };
    Action action = Action::list;
    std::string path;
    std::vector<std::string> names; // print: these macros only, in this order
};

// Adds the lib command and its list, print and check commands to the tool's command line;
// parsing it fills `request`.
void add_lib_command(CLI::App &root, LibRequest &request);

// Exit status: 0 done and the file is sound, 1 the file cannot be read or is damaged (or a
// named macro is missing).
int lib_command(const LibRequest &request);

} // namespace vornmac::tool
