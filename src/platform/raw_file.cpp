#include "platform/raw_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornmac::platform {

int raw_open_existing(const char *name, Access access) {
    if (name == nullptr || *name == '\0') return -1;
    const int handle = ::open(name, (access == Access::read ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    // A directory opens under POSIX but holds nothing to read: refuse it as a file.
    struct stat status {};
    if (handle >= 0 && (::fstat(handle, &status) != 0 || S_ISDIR(status.st_mode))) {
        ::close(handle);
        return -1;
    }
    return handle;
}

int raw_create(const char *name) {
    if (name == nullptr || *name == '\0') return -1;
    return ::open(name, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int32_t raw_read(int handle, void *buffer, int32_t count) {
    auto *out = static_cast<char *>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(handle, out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return done > 0 ? done : -1;
        if (n == 0) break;
        done += static_cast<int32_t>(n);
    }
    return done;
}

int32_t raw_write(int handle, const void *buffer, int32_t count) {
    const auto *in = static_cast<const char *>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(handle, in + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return done > 0 ? done : -1;
        done += static_cast<int32_t>(n);
    }
    return done;
}

int32_t raw_seek(int handle, int32_t offset, int origin) {
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    const off_t pos = ::lseek(handle, offset, whence);
    return pos < 0 ? -1 : static_cast<int32_t>(pos);
}

void raw_close(int handle) {
    if (handle >= 0) ::close(handle);
}

} // namespace vornmac::platform
