// Fills an error message's format with the arguments of the raising call. Message texts
// come from a file that users edit, so the formatter understands only %s, %d, %ld, %c and
// %% (with flags and a width), takes each argument by its own type, and never reads past
// the arguments it was given: a conversion with no argument left prints nothing.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vornmac {

struct ErrorArg {
    enum class Kind { text, integer };
    Kind kind;
    const char *text = "";
    long value = 0;

    ErrorArg(const char *t) : kind(Kind::text), text(t != nullptr ? t : "") {}
    ErrorArg(long v) : kind(Kind::integer), value(v) {}
    ErrorArg(int v) : kind(Kind::integer), value(v) {}
    ErrorArg(int16_t v) : kind(Kind::integer), value(v) {}
};

std::string format_message(const std::string &format, const std::vector<ErrorArg> &args);
// Takes a host's arguments in the order and of the types the format's conversions ask for:
// texts for %s, int for %d and %c, long for %ld.
std::vector<ErrorArg> args_from_va_list(const std::string &format, va_list args);

} // namespace vornmac
