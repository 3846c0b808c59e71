// `vornmac vars FILE`: lists what a variable file holds, for users who want to see which
// options and saved values the next run will start with.
#pragma once
#include <span>

namespace vornmac::tool {

// The words after "vars". Exit status: 0 listed, 1 the file is unreadable or malformed,
// 2 a bad command line.
int vars_command(std::span<const char *const> words);

extern const char vars_usage[];

} // namespace vornmac::tool
