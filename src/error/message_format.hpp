// Fills an error message's format with the arguments of the raising call. Message texts
// come from a file that users edit, so formatting is our own: the standard conversions
// d i u o x X c s and %%, with the flags "-+ #0", a width, a precision (either may be
// "*"), and the length modifiers h (16 bits) and l (32 bits, like every integer here).
// A directive the formatter does not know is shown as written and takes no argument.
//
// Each directive takes its arguments in order: an integer for each "*", then one for the
// conversion. The library passes typed arguments and the formatter never reads past the
// last of them; a host's va_list is first turned into typed arguments by the same
// directive rules (args_from_va_list), so both paths read a message the same way.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

namespace vornmac {

struct ErrorArg {
    enum class Kind { text, integer };
    Kind kind;
    std::string text; // a copy: the raising site's text may change while the error is reported
    long value = 0;

    ErrorArg(const char *t) : kind(Kind::text), text(t != nullptr ? t : "") {}
    ErrorArg(std::string t) : kind(Kind::text), text(std::move(t)) {}
    ErrorArg(long v) : kind(Kind::integer), value(v) {}
    ErrorArg(int v) : kind(Kind::integer), value(v) {}
    ErrorArg(int16_t v) : kind(Kind::integer), value(v) {}
};

std::string format_message(const std::string &format, const std::vector<ErrorArg> &args);
// Takes a host's arguments in the order and of the types the format's directives ask
// for: a char * for %s (at most the precision's bytes are read), an int for "*" and for
// every other conversion.
std::vector<ErrorArg> args_from_va_list(const std::string &format, va_list args);

} // namespace vornmac
