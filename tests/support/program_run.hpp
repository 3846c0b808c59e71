// Runs a whole program through the C interface the way a host does: recovery mark,
// start_parser_module, call_gettoken until the input is exhausted, going on after each
// statement error. Collects the tokens the host received and every jump.
#pragma once
#include "support/test_home.hpp"

#include <string>
#include <vector>

namespace vornmac::testing {

struct Jump {
    int value;
    std::string message; // `_errormessage` at the time of the jump
};

// A construct open when the input ran out, as vornmac_open_constructs tells it.
struct OpenAtEnd {
    std::string construct;
    std::string closing;
    char source_kind;
    std::string source_name;
    int line;
    int column;
};

struct ProgramRun {
    std::vector<std::string> tokens;
    std::vector<Jump> jumps;
    std::vector<OpenAtEnd> open_at_end;
    bool created = false;
    std::string log;
};

struct ProgramRequest {
    const char *file = nullptr;
    const char *text = nullptr;
    Options variables; // set at level 0 before the module starts
    int max_tokens = 1000;
    vornmac_trace_callback trace = nullptr; // registered with trace_user when set
    void *trace_user = nullptr;
};

ProgramRun run_program(const TestHome &home, const ProgramRequest &request);
// Runs `text` as the main program the host hands over, with `variables` set at level 0.
ProgramRun run_text(const TestHome &home, const std::string &text, Options variables = {});
// Runs the main program from the terminal, with `typed` as what the user types.
ProgramRun run_terminal_program(const TestHome &home, const std::string &typed);
// The tokens joined, for compact expectations.
std::string joined(const std::vector<std::string> &tokens, const char *separator = "|");

} // namespace vornmac::testing
