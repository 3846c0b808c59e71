#include "platform/file_truncate.hpp"

#include "platform/raw_file.hpp"
#include "platform/write_fault.hpp"

#include <cerrno>
#include <unistd.h>

namespace vornmac::platform {

bool raw_truncate(int handle, int64_t size) {
    note_file_change();
    if (!write_fault::allows(handle)) return false;
    for (;;) {
        if (::ftruncate(handle, static_cast<off_t>(size)) == 0) return true;
        if (errno != EINTR) return false;
    }
}

} // namespace vornmac::platform
