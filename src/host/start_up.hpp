// Start-up: turns the host's start-up arguments and the saved options into the parser's
// first state, in a fixed order: the variable file, the dropped levels, `_screenlines`,
// `_optlist`, the log, the main program, then `argc` and the argument variables.
#pragma once
#include <string>

namespace vornmac {

class ParserContext;

struct StartUpArguments {
    const char *program_name;
    const char *program_text;
    const char *options_file; // null: "vorn_opt.dat"
    const char *log_file;     // null: `_logfile`, else "vorntool.log" in the home directory
};

std::string log_file_name(const ParserContext &context, const char *log_argument,
                          const char *logfile_variable);
// False when the parser cannot start (the variable file could not be loaded).
bool start_up(ParserContext &context, const StartUpArguments &arguments);

} // namespace vornmac
