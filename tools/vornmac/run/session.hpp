// `vornmac run`: drives one parser context through a whole program, as a host of the
// library does, and turns the outcome into an exit status.
#pragma once
#include "run/run_options.hpp"
#include "run/source_label.hpp"
#include "run/start_up.hpp"
#include "run/token_writer.hpp"

namespace vornmac::tool {

// Runs the started program to its end, writes its output to `out` and finishes the
// context. Exit status: 0 without errors, 1 when errors were reported, 2 when the program
// could not be run to its end (start-up failed, the library could not go on, the output
// could not be written). `interrupted`: a signal ended the program before its end.
int run_session(const StartUp &start, const RunOptions &options, const SourceNames &names,
                TokenWriter &out, bool &interrupted);

} // namespace vornmac::tool
