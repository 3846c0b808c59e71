#include "platform/file_deletion.hpp"

#include "platform/raw_file.hpp"

#include <unistd.h>

namespace vornmac::platform {

void delete_file(const char *name) {
    // unlink refuses directories, so nothing but the named file is ever touched.
    if (name == nullptr || *name == '\0') return;
    note_file_change();
    ::unlink(name);
}

} // namespace vornmac::platform
