// Changes to the saved values of a variable file, as `vornmac vars FILE --set NAME=VALUE`
// and `--unset NAME` ask for them. The new file is written by the library's own writer,
// which writes a temporary file beside the old one and renames it over it, so the old
// file stays whole whenever anything fails. The input records a run saved (where its
// program stood) are not written again.
#pragma once
#include "vars/variable_listing.hpp"

#include <optional>
#include <span>
#include <string>

namespace vornmac::tool {

struct VarsEdit {
    bool set; // false: unset
    std::string name;
    std::string value;
};

// Applies the edits in order to the listing's values and replaces the file with the
// result; a message saying what was refused or failed, with the file left as it was.
std::optional<std::string> edit_variable_file(const char *path, Listing listing,
                                              std::span<const VarsEdit> edits);

} // namespace vornmac::tool
