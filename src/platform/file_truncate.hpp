// Cutting a file back to a size: a library update that used room past the file's end for a
// while gives it back. Counted as a write by the write-fault hook.
#pragma once
#include <cstdint>

namespace vornmac::platform {

bool raw_truncate(int handle, int64_t size);

} // namespace vornmac::platform
