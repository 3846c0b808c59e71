// The console of the original system is the process's standard input and output: %input
// reads a typed line, %display writes, and a program read from the terminal is prompted for
// line by line. Both go through the C streams, so that what the library writes and what a
// host writes with stdio keep their order.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vornmac::platform {

// Reads the next line of standard input, its line feed included, but no more than `limit`
// characters: the rest of a longer line is left for the next read. Standard output is
// flushed first, so that whatever asked for the line is on the screen. False, with `line`
// empty, at the end of the input.
bool read_console_line(std::string &line, size_t limit);

// Writes to standard output, buffered; flush_console() sends it on.
void write_console(std::string_view text);
void flush_console();

} // namespace vornmac::platform
