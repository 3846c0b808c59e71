// Finding a program file by name: the name itself, then with the `_prgextend` extension,
// then in the `_pathprg` directory, then both; the first that is there wins, else the name
// stays as it is. Looking never waits: a FIFO is found, not opened for good.
#pragma once
#include <string>
#include <vector>

namespace vornmac {

class ParserContext;

enum class ProgramFileKind { missing, regular, other }; // other: a FIFO, a device, a socket

ProgramFileKind program_file_kind(const std::string &name);
bool can_open_for_reading(const std::string &name);
// The names tried, in order, for the given extension and folder (either may be empty).
std::vector<std::string> program_file_candidates(const std::string &name,
                                                 const std::string &extension,
                                                 const std::string &folder);
std::string find_program_file(ParserContext &context, const std::string &name);

} // namespace vornmac
