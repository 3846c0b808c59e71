// `vornmac run`: drives one parser context through a whole program, as a host of the
// library does, and turns the outcome into an exit status.
#pragma once
#include "run/home.hpp"
#include "run/run_options.hpp"

namespace vornmac::tool {

// Exit status: 0 without errors, 1 when errors were reported, 2 when the program could not
// be run to its end (start-up failed, the library could not go on, output not written).
int run_program(const RunOptions &options, const Home &home);

} // namespace vornmac::tool
