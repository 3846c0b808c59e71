// Creating a file that others may be creating at the same moment. The file appears under its
// name with all its first bytes or not at all: they are written to a temporary file beside
// it, which is then linked to the name. The link never replaces a file that is there, so of
// runs that create one file together one wins and the others find its file, never a
// half-written one and never one emptied under a run that already uses it.
#pragma once
#include <cstdint>

namespace vornmac::platform {

enum class NewFile { created, exists, failed };

NewFile create_whole_file(const char *name, const void *bytes, int32_t count);

} // namespace vornmac::platform
