// `vornmac lib list|print|check FILE`: shows what a macro library file holds without
// writing a program, and tells precisely where a damaged one is wrong. It reads the file
// with the library's own format reader (src/macro/library_check.hpp), so the tool and the
// parser never disagree about the format; none of the commands changes the file.
#pragma once
#include <span>

namespace vornmac::tool {

// The words after "lib". Exit status: 0 done and the file is sound, 1 the file cannot be
// read or is damaged (or a named macro is missing), 2 a bad command line.
int lib_command(std::span<const char *const> words);

extern const char lib_usage[];

} // namespace vornmac::tool
