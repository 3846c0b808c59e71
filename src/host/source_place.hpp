// Where a piece of program text stands, as hosts are told it (the trace, the open
// constructs at the end of the input): the source by kind, name and place on the input
// stack, and the line and column in it. Text a statement handed back to be read again (a
// branch, a loop body, a function's result, stored as "_TEMPn") counts as part of the
// source it came from: its line and column are already that source's.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

class InputStack;

struct SourcePlace {
    char kind = ' ';   // ' ' program file or terminal, 'm' macro body, 's' variable text
    std::string name;  // the file name, the macro name or the variable name
    int16_t index = 0; // its slot on the input stack: 0 is the main program
    int16_t line = 0;
    int16_t column = 0;
};

// The place of text read at slot `top` (the live source, or one whose slot still holds
// it) at the given line and column.
SourcePlace source_place(const InputStack &in, int16_t top, int16_t line, int16_t column);

} // namespace vornmac
