#include "platform/raw_file.hpp"

#include "platform/write_fault.hpp"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornmac::platform {

namespace {
std::atomic<uint64_t> changes_made{0};

int access_flags(Access access) {
    switch (access) {
    case Access::read:
        return O_RDONLY;
    case Access::read_write:
        return O_RDWR;
    case Access::read_append:
        return O_RDWR | O_APPEND;
    }
    return O_RDONLY;
}
} // namespace

int raw_open_existing(const char *name, Access access) {
    if (name == nullptr || *name == '\0') return -1;
    const int handle = ::open(name, access_flags(access) | O_CLOEXEC);
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

int raw_create_new(const char *name, bool *exists) {
    if (exists != nullptr) *exists = false;
    if (name == nullptr || *name == '\0') return -1;
    const int handle = ::open(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle < 0 && exists != nullptr) *exists = errno == EEXIST;
    return handle;
}

OpenedFile raw_open_file(const char *name, Access access, bool devices_too) {
    if (name == nullptr || *name == '\0') return {};
    // Non-blocking, so that opening a FIFO returns at once and can be refused.
    const int flags = access_flags(access) | O_CLOEXEC | O_NONBLOCK;
    const int handle = ::open(name, flags);
    if (handle < 0) return {};
    struct stat status {};
    const bool fits = ::fstat(handle, &status) == 0 &&
                      (S_ISREG(status.st_mode) || (devices_too && S_ISCHR(status.st_mode)));
    if (!fits) {
        ::close(handle);
        return {-1, true};
    }
    if (::fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(handle);
        return {};
    }
    return {handle, false};
}

namespace {
// Reads until `count` bytes are in or the file ends; `read_some(to, size, done)` makes one
// system call for the bytes from `done` on.
template <typename ReadSome> int32_t read_fully(void *buffer, int32_t count, ReadSome read_some) {
    auto *out = static_cast<char *>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = read_some(out + done, static_cast<size_t>(count - done), done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return done > 0 ? done : -1;
        if (n == 0) break;
        done += static_cast<int32_t>(n);
    }
    return done;
}
} // namespace

int32_t raw_read(int handle, void *buffer, int32_t count) {
    return read_fully(buffer, count, [handle](char *to, size_t size, int32_t) {
        return ::read(handle, to, size);
    });
}

int32_t raw_read_at(int handle, int64_t offset, void *buffer, int32_t count) {
    return read_fully(buffer, count, [handle, offset](char *to, size_t size, int32_t done) {
        return ::pread(handle, to, size, static_cast<off_t>(offset + done));
    });
}

uint64_t file_changes() {
    return changes_made.load(std::memory_order_relaxed);
}

void note_file_change() {
    changes_made.fetch_add(1, std::memory_order_relaxed);
}

int32_t raw_write(int handle, const void *buffer, int32_t count, WriteKind kind) {
    if (kind == WriteKind::any) note_file_change();
    if (!write_fault::allows(handle)) return -1;
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

int64_t raw_seek(int handle, int64_t offset, int origin) {
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    const off_t pos = ::lseek(handle, static_cast<off_t>(offset), whence);
    return pos < 0 ? -1 : static_cast<int64_t>(pos);
}

bool raw_sync(int handle) {
    return ::fsync(handle) == 0;
}

int64_t raw_size(int handle) {
    struct stat status {};
    return ::fstat(handle, &status) == 0 ? static_cast<int64_t>(status.st_size) : -1;
}

void raw_close(int handle) {
    if (handle < 0) return;
    note_file_change();
    ::close(handle);
}

int raw_duplicate(int handle) {
    return handle < 0 ? -1 : ::fcntl(handle, F_DUPFD_CLOEXEC, 0);
}

} // namespace vornmac::platform
