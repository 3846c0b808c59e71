// The terminal a program may be typed at: lines read from standard input, and the prompt
// written to standard output before each one. Both go through the C streams, which the host
// shares: a prompt is flushed at once, so that it shows before the read waits.
#pragma once
#include <cstddef>

namespace vornmac::platform {

// Reads one line of at most `size` - 1 characters (its line feed too, when it fits) into
// `line` and terminates it. False at the end of the input or on a read error; `line` then
// holds nothing to use.
bool read_console_line(char *line, std::size_t size);
// Writes the text to standard output and flushes it.
void write_console(const char *text);

} // namespace vornmac::platform
