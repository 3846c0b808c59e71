// %system: collects the command text up to the ";" that ends the statement (a ";" inside a
// quoted stretch does not end it), reads the leading options /wait, /nowait and /dos in
// any letter case, and runs the command through the platform, through the command
// interpreter when /dos is given or the command starts with one of the interpreter's
// own commands (erase, delete, del, copy, dir, chdir). Without /wait or /nowait,
// `_system_default` decides: "nowait" or "/nowait" does not wait, anything else waits.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

class ParserContext;

void system_statement(ParserContext &context, int16_t index);

// What the options at the front of a command text ask for.
struct SystemCommand {
    std::string command;  // the text after the options
    int16_t waiting = -1; // -1 not given, 0 /nowait, 1 /wait
    bool interpreter = false;
};

SystemCommand read_system_options(const std::string &text);

} // namespace vornmac
