// Program files are read at any offset, again and again, and their length is found from
// the end. A pipe or a terminal (`/dev/stdin`) cannot be read that way: its bytes are
// copied once, to its end, into an unnamed temporary file that is read instead. Offsets of
// program sources are 32-bit, so a file of 2 GiB or more is refused.
#pragma once
#include <cstdint>

namespace vornmac::platform {

enum class SeekableStatus { ready, too_large, no_temporary };

struct SeekableFile {
    int handle = -1; // -1 unless ready
    SeekableStatus status = SeekableStatus::ready;
};

inline constexpr int64_t largest_program_file = INT32_MAX;

// Takes over `handle`: returns it, or the handle of its copy, or closes it and tells why not.
SeekableFile make_seekable(int handle);

} // namespace vornmac::platform
