// `vornmac lib list|print|check FILE`: shows what a macro library file holds without
// writing a program, and tells precisely where a damaged one is wrong. It reads the file
// with the library's own format reader (vornmac_read_macro_library), so the tool and the
// parser never disagree about the format; none of the commands changes the file.
#pragma once
#include "common/command.hpp"

namespace vornmac::tool {

std::unique_ptr<Command> add_lib_command(CLI::App &root);

} // namespace vornmac::tool
