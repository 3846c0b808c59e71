// How a run starts the library: what init_parser gets (the program, found in -I's folder;
// the variable file; the log, which may be standard error or nothing) and what the session
// sets in the context before the program starts.
#pragma once
#include "run/home.hpp"
#include "run/run_options.hpp"

#include <vornmac/vornmac.h>

#include <string>
#include <vector>

namespace vornmac::tool {

struct StartUp {
    parser_context *ctx = nullptr; // null when the library could not start
    // Set at the global level, in order, before the program starts: -I's _pathprg, argv0
    // as given when -I found the program under another name, then the -D variables.
    std::vector<Assignment> settings;
};

// Starts the library for the run. `interactive`: the program is typed at a terminal.
StartUp start_run(const RunOptions &options, const Home &home, bool interactive);

// The names the library looks for the program file `name` under, with the extension and
// folder given, in its order.
std::vector<std::string> program_file_candidates(const std::string &name,
                                                 const std::string &extension,
                                                 const std::string &folder);

} // namespace vornmac::tool
