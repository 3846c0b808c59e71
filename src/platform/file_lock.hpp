// Locks on an open file, by which runs that share a macro library take turns at it: a run
// that changes the library holds an exclusive lock for the one update, a run that reads it
// holds a shared lock while it reads. This gives the library's sharing rule (a file open for
// writing may only be read by others) its meaning between processes. A writer of a
// replacement file holds an exclusive lock on its temporary while it lives.
//
// They are open-file-description locks (F_OFD_SETLK). Classic POSIX record locks would not
// do: a process loses all of them when it closes any descriptor of the file (a run opens one
// library as a slot and as the definition file in turn), and two descriptors of one process
// never exclude each other. Open-file-description locks belong to the open file alone,
// exclude every other open of it, in this process too, meet the record locks of other
// programs (unlike flock), and cover the file whatever name or link reached it.
//
// The kernel drops such a lock when the last descriptor of its open file closes, however
// the process ends, so a killed holder never leaves its lock behind: the replacement of a
// whole file (replace_file.hpp) tells a dead writer's temporary by a lock it can take.
//
// The wait is bounded: the lock is tried again with pauses of 1 ms that grow to 20 ms until
// `patience` has passed. A file system without such locks (some network and user-space
// ones) is used as before, unlocked.
#pragma once
#include <chrono>

namespace vornmac::platform {

enum class LockKind { shared, exclusive };
enum class LockResult { held, busy, unsupported };

LockResult lock_file(int handle, LockKind kind, std::chrono::milliseconds patience);
// One try, no wait: busy when another open of the file holds a lock that excludes this one.
LockResult try_lock_file(int handle, LockKind kind);
void unlock_file(int handle);

// Holds a lock for its own lifetime; `usable()` is false only when another holder kept the
// file past the patience.
class FileLock {
  public:
    FileLock(int handle, LockKind kind, std::chrono::milliseconds patience)
        : handle_(handle), result_(lock_file(handle, kind, patience)) {}
    ~FileLock() {
        if (result_ == LockResult::held) unlock_file(handle_);
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    bool usable() const { return result_ != LockResult::busy; }

  private:
    int handle_;
    LockResult result_;
};

} // namespace vornmac::platform
