#include "platform/seekable_file.hpp"

#include "platform/raw_file.hpp"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vornmac::platform {

namespace {
// A file in the temporary directory that has no name from the start.
int anonymous_temporary() {
    const char *dir = std::getenv("TMPDIR");
    std::string pattern = dir != nullptr && *dir != '\0' ? dir : "/tmp";
    pattern += "/vornmac-program-XXXXXX";
    const int handle = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (handle >= 0) ::unlink(pattern.c_str());
    return handle;
}

// Copies everything `from` delivers into `to`; the status says why it stopped early.
SeekableStatus copy_to_end(int from, int to) {
    // On the heap: a program file may be opened deep inside nested statements, where a
    // host's stack may be small.
    std::vector<char> block(65536);
    int64_t total = 0;
    for (;;) {
        const ssize_t got = ::read(from, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return SeekableStatus::no_temporary;
        if (got == 0) return SeekableStatus::ready;
        total += got;
        if (total > largest_program_file) return SeekableStatus::too_large;
        if (raw_write(to, block.data(), static_cast<int32_t>(got)) != got)
            return SeekableStatus::no_temporary;
    }
}
} // namespace

SeekableFile make_seekable(int handle) {
    struct stat status {};
    if (::fstat(handle, &status) == 0 && S_ISREG(status.st_mode)) {
        if (status.st_size <= largest_program_file) return {handle, SeekableStatus::ready};
        raw_close(handle);
        return {-1, SeekableStatus::too_large};
    }
    const int copy = anonymous_temporary();
    const SeekableStatus copied =
        copy >= 0 ? copy_to_end(handle, copy) : SeekableStatus::no_temporary;
    raw_close(handle);
    if (copied != SeekableStatus::ready || ::lseek(copy, 0, SEEK_SET) != 0) {
        raw_close(copy);
        return {-1, copied == SeekableStatus::ready ? SeekableStatus::no_temporary : copied};
    }
    return {copy, SeekableStatus::ready};
}

} // namespace vornmac::platform
