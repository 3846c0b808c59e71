#include "platform/write_fault.hpp"

#include <atomic>
#include <cerrno>

namespace vornmac::platform::write_fault {

namespace {
struct Hook {
    int handle = -1;
    Mode mode = Mode::count_only;
    int nth = 0;
    int counted = 0;
};
// Read by every write of every thread; the hook itself is only set by single-threaded tests.
std::atomic<bool> armed{false};
Hook hook;
} // namespace

void arm(int handle, Mode mode, int nth) {
    hook = Hook{handle, mode, nth, 0};
    armed.store(true);
}

void disarm() {
    armed.store(false);
}

int writes_counted() {
    return hook.counted;
}

bool allows(int handle) {
    if (!armed.load(std::memory_order_relaxed)) [[likely]]
        return true;
    if (hook.handle != -1 && hook.handle != handle) return true;
    const int number = ++hook.counted;
    const bool fails = (hook.mode == Mode::fail_one && number == hook.nth) ||
                       (hook.mode == Mode::fail_from && number >= hook.nth);
    if (fails) errno = ENOSPC;
    return !fails;
}

} // namespace vornmac::platform::write_fault
