// Finding a program file by name: the name itself, then with the `_prgextend` extension,
// then in the `_pathprg` directory, then both; the first that opens wins, else the name
// stays as it is.
#pragma once
#include <string>

namespace vornmac {

class ParserContext;

bool can_open_for_reading(const std::string &name);
std::string find_program_file(ParserContext &context, const std::string &name);

} // namespace vornmac
