// Reads the error that the library has just reported from its error variables
// (_errormessage, _errortype, _errordepth) and writes it for the user as
// WHERE:LINE:COLUMN: ERROR #N : message, where WHERE is the source that holds the failing
// token, followed by one line "  called from WHERE:LINE:COLUMN" for each source it was
// reached through, out to the main program.
#pragma once
#include "run/error_trace.hpp"

#include <vornmac/vornmac.h>

#include <cstdio>
#include <optional>
#include <string>

namespace vornmac::tool {

// The _errortype of error 173 in the message file: the input is used up, which is how
// every program ends.
inline constexpr const char *end_of_input_type = "4";

struct ReportedError {
    std::string message; // "ERROR #N : text\n", or one of the library's fixed texts
    std::string type;
    std::string depth; // grows with every trace entry, that is, with every located error

    static ReportedError read(parser_context *ctx);
    // The N of "ERROR #N : ", when the message has that form.
    std::optional<int> number() const;
};

// Writes the error at its places; without one (an error raised before the program had
// input, or after it ran out) the line is FILE: message.
void print_error(std::FILE *out, const std::string &label, const ReportedError &error,
                 const std::vector<ErrorPlace> &places);

} // namespace vornmac::tool
