// The error message file: lines of "NUMBER TYPE text", read up to 199 characters at a
// time. The search stops at the wanted number or at 32000, and the end of the file counts
// as 32000. Lines whose two fields are not decimal digits match nothing.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace vornmac {

struct MessageLine {
    int type;
    std::string format; // the rest of the line, its line end included
};

// The entry for `number`; empty when the file has no entry before 32000 or its end.
std::optional<MessageLine> find_message(const std::string &contents, int16_t number);

} // namespace vornmac
