// `vornmac vars FILE`: lists what a variable file holds, prints one saved value, or changes
// saved values in place, so that users can see and set the options the next run starts with.
#pragma once
#include <span>

namespace vornmac::tool {

// The words after "vars". Exit status: 0 listed, 1 the file is unreadable or malformed,
// 2 a bad command line.
int vars_command(std::span<const char *const> words);

extern const char vars_usage[];

} // namespace vornmac::tool
