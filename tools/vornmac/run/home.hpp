// The vornmac home: the directory that holds the variable (options) file, the error
// message file, the macro library and, unless told otherwise, the log. A first run sets it up, so a
// fresh machine needs no installation step.
#pragma once
#include <optional>
#include <string>

namespace vornmac::tool {

struct Home {
    std::string directory; // absolute, ends in "/": the library appends file names directly
    std::string variable_file() const { return directory + "vorn_opt.dat"; }
    std::string message_file() const { return directory + "vornmac.msg"; }
    std::string macro_library() const { return directory + "macros.mac"; }
};

// The home named by --home, else $VORNMAC_HOME, else ~/.vornmac; nothing when none of
// them can be found.
std::optional<Home> locate_home(const std::optional<std::string> &option);

// Creates the directory and writes whichever of the default variable file, the message
// file and the (empty) macro library is missing; files that exist are left alone, so a user's edits
// survive. Returns an error message, or nothing on success.
std::optional<std::string> prepare_home(const Home &home);

} // namespace vornmac::tool
