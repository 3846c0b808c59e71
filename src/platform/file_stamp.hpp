// Whether a file changed since it was read. A run keeps what it read of a macro library and
// compares the file's stamp with the one taken then before it trusts it again.
//
// A stamp is the file's identity (device and inode), its size and the times its data and its
// status last changed, in nanoseconds. Times alone would not do: file systems keep them at
// the kernel's clock tick or coarser (whole seconds on some), so two updates may get one
// time. Hence the writer's part: having changed a file under its exclusive lock, it makes
// the data's time later than it was before the update (`mark_changed`), so that every update
// leaves a stamp no earlier state of the file had, however coarse the file system's times.
#pragma once
#include <cstdint>

namespace vornmac::platform {

struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = -1; // -1: no file could be stamped
    int64_t modified_ns = 0;
    int64_t status_changed_ns = 0;

    bool valid() const { return size >= 0; }
    bool operator==(const FileStamp &) const = default;
};

FileStamp stamp_of(int handle);
FileStamp stamp_of_path(const char *path);

// Called by a writer that still holds its exclusive lock, after it wrote to the file:
// `before` is the stamp taken when the lock was won.
void mark_changed(int handle, const FileStamp &before);

// The monotonic clock as the kernel keeps it at each tick (a few milliseconds), read without a
// system call: it paces how often a run looks at a file's stamp.
int64_t coarse_clock_ns();

} // namespace vornmac::platform
