// Deleting one file by name (%delete). Directories are never removed, and a name that
// cannot be deleted is left alone without a word: the macro language reports nothing.
#pragma once

namespace vornmac::platform {

void delete_file(const char *name);

} // namespace vornmac::platform
