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
struct ReplaceOutcome {
    ReplaceResult result;
    std::string temporary; // the temporary file's name
    std::string path;      // the file replaced (a symbolic link's file)
};
// Writes the bytes of a variable file through a temporary file beside `path` (see
// platform/replace_file.hpp) and renames it over the file: a file that could not be written
// completely never replaces the old one, and the old one's mode and owner are kept.
ReplaceOutcome replace_variable_file(const std::string &path, const std::string &bytes, bool quiet);

} // namespace vornmac
