// What the checker takes from a vornmac home, read only: the saved variables of its
// variable file (their names count as set) and the macros of the libraries installed in
// its seven slots (_macro1 ... _macro7). A file that cannot be read adds nothing.
#pragma once
#include "check/finding.hpp"

#include <string>

namespace vornmac::check {

void read_home(const std::string &variable_file, CheckSettings &settings);

// A program file's text; false, with the reason, when it cannot be read.
bool read_program_file(const std::string &path, std::string &text, std::string &reason);

} // namespace vornmac::check
