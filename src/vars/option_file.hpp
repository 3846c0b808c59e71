// Loading the variable file when a parser starts and saving it when it finishes. The file
// is also the installation's option file: its saved values carry the options. A missing,
// foreign or damaged file makes start-up fail with a message box; the save goes through a
// temporary file that then replaces the old one in one step.
#pragma once
#include "vars/variable_file.hpp"

#include <string>

namespace vornmac {

class ParserContext;

inline constexpr const char *default_variable_file = "vorn_opt.dat";

// False when the parser cannot start; the message box has been shown.
bool load_options(ParserContext &context, const char *name);
void save_variable_file(ParserContext &context);
// Reads and checks the file at `path` by the rules of the load, without loading it; the
// outcome's problem says why a file is refused.
LoadOutcome inspect_variable_file(const std::string &path, VariableFileContents &contents);

enum class ReplaceResult { replaced, cannot_create, cannot_write, cannot_rename };
// Writes bytes to a new temporary file and renames it over `path`; a file that could not
// be written completely never replaces the old one. `temporary` is the name to use; when
// another run is writing under it at the same time, it is changed to a name of this
// process's own.
ReplaceResult replace_file(const std::string &path, std::string &temporary,
                           const std::string &bytes, bool quiet);

} // namespace vornmac
