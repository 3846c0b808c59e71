// Reads where an error stands from the trace the library leaves in its error variables:
// each error writes one entry per source, from the one that holds the failing token out to
// the main program, as "_errorfilesN" (which source: "*** Error in NAME", "  *** Called
// From Macro NAME", "... Macro Variable -> NAME", "... Editor File") and "_errorlocsN"
// (its position, "... Before Line=L Column=C"), numbered on across errors by _errordepth.
// The first entry's position is the failing token's (_errorline, _errorcolumn); the others
// are where reading stood in the sources it was reached through.
#pragma once
#include "run/source_label.hpp"

#include <vornmac/vornmac.h>

#include <string>
#include <vector>

namespace vornmac::tool {

struct ErrorPlace {
    std::string where; // named by SourceNames
    int line = 0;
    int column = 0;

    bool operator==(const ErrorPlace &) const = default;
};

// The places of the last error among the trace entries numbered after `depth_before` up to
// `depth_now`, innermost first; empty when there are none (an error found without input).
std::vector<ErrorPlace> read_error_places(parser_context *ctx, const SourceNames &names,
                                          const std::string &depth_before,
                                          const std::string &depth_now);

} // namespace vornmac::tool
