// The error message file: lines of "NUMBER TYPE text", read up to 199 characters at a
// time as the message buffer holds them. The search reads the file once from its start,
// a piece at a time, and stops at the wanted number or at 32000; the end of the file
// counts as 32000. Lines whose two fields are not decimal digits match nothing. A
// carriage return before a line feed is dropped, so files saved with CR LF line ends
// give the same messages.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vornmac {

struct MessageLine {
    int type;
    std::string format; // the rest of the line, its line feed included
};

// Fills the buffer with up to `count` bytes of the file; 0 at its end, -1 on failure.
using ReadBytes = std::function<int32_t(char *buffer, int32_t count)>;

// The entry for `number`; empty when the file has no entry before 32000 or its end.
std::optional<MessageLine> find_message(const ReadBytes &read, int16_t number);

} // namespace vornmac
