#include "platform/file_lock.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <thread>

namespace vornmac::platform {

namespace {
// Whole-file locks: the range starts at 0 and runs past any end the file may get.
bool set_lock(int handle, short type) {
    struct flock request {};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = 0;
    request.l_len = 0;
    request.l_pid = 0; // must be 0 for open-file-description locks
    for (;;) {
        if (::fcntl(handle, F_OFD_SETLK, &request) == 0) return true;
        if (errno != EINTR) return false;
    }
}
} // namespace

LockResult try_lock_file(int handle, LockKind kind) {
    if (set_lock(handle, kind == LockKind::shared ? F_RDLCK : F_WRLCK)) return LockResult::held;
    // Another open of the file holds a lock that excludes this one.
    return errno == EAGAIN || errno == EACCES ? LockResult::busy : LockResult::unsupported;
}

LockResult lock_file(int handle, LockKind kind, std::chrono::milliseconds patience) {
    using std::chrono::steady_clock;
    const steady_clock::time_point deadline = steady_clock::now() + patience;
    std::chrono::milliseconds pause{1};
    for (;;) {
        const LockResult result = try_lock_file(handle, kind);
        if (result != LockResult::busy) return result;
        const steady_clock::time_point now = steady_clock::now();
        if (now >= deadline) return LockResult::busy;
        std::this_thread::sleep_for(std::min<steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{20});
    }
}

void unlock_file(int handle) {
    set_lock(handle, F_UNLCK);
}

} // namespace vornmac::platform
