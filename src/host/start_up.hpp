// Start-up: turns the host's start-up arguments into the parser's first state. The log
// name comes from the host, else from `_logfile`, else "vorntool.log" in the home directory.
#pragma once
#include <string>

namespace vornmac {

class ParserContext;

std::string log_file_name(const ParserContext &context, const char *log_argument,
                          const char *logfile_variable);
void start_up(ParserContext &context, const char *log_argument);

} // namespace vornmac
