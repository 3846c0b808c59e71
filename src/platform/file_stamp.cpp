#include "platform/file_stamp.hpp"

#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

namespace vornmac::platform {

namespace {
constexpr int64_t nanoseconds_per_second = 1000000000;

int64_t nanoseconds(const timespec &t) {
    return static_cast<int64_t>(t.tv_sec) * nanoseconds_per_second + t.tv_nsec;
}

timespec as_timespec(int64_t ns) {
    return {static_cast<time_t>(ns / nanoseconds_per_second),
            static_cast<long>(ns % nanoseconds_per_second)};
}

FileStamp stamp_from(const struct stat &status) {
    return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
            static_cast<int64_t>(status.st_size), nanoseconds(status.st_mtim),
            nanoseconds(status.st_ctim)};
}

bool modified_after(int handle, const FileStamp &before) {
    return stamp_of(handle).modified_ns > before.modified_ns;
}
} // namespace

FileStamp stamp_of(int handle) {
    struct stat status {};
    return ::fstat(handle, &status) == 0 ? stamp_from(status) : FileStamp{};
}

FileStamp stamp_of_path(const char *path) {
    struct stat status {};
    return ::stat(path, &status) == 0 ? stamp_from(status) : FileStamp{};
}

void mark_changed(int handle, const FileStamp &before) {
    if (!before.valid() || modified_after(handle, before)) return;
    // The writes fell on the old time. The owner may set any time: just past the old one,
    // in steps that grow until the file system's own granularity shows them.
    for (const int64_t step : {int64_t{1}, int64_t{1000}, int64_t{1000000}, nanoseconds_per_second,
                               2 * nanoseconds_per_second}) {
        const timespec times[2] = {{0, UTIME_OMIT}, as_timespec(before.modified_ns + step)};
        if (::futimens(handle, times) != 0) break; // not the file's owner
        if (modified_after(handle, before)) return;
    }
    // Anyone who may write the file may set its time to now: wait for the clock to pass the
    // old time (a tick; at most the two seconds of the coarsest file systems).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (::futimens(handle, nullptr) != 0 || modified_after(handle, before)) return;
    }
}

int64_t coarse_clock_ns() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return nanoseconds(now);
}

} // namespace vornmac::platform
