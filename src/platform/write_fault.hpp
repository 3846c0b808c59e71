// A test hook on the write path, to show that a file updated in place stays sound whichever
// write fails: it counts the writes (and truncations) made through one descriptor, or
// through all when the descriptor is -1, and fails the N-th as a full disk would
// (`fail_one`: the ones after it go through), or every one from the N-th on, as a process
// killed there leaves the file (`fail_from`). A failed write writes nothing and reports
// ENOSPC. Off unless a test arms it; then it costs one flag test per write.
#pragma once

namespace vornmac::platform::write_fault {

enum class Mode { count_only, fail_one, fail_from };

void arm(int handle, Mode mode, int nth = 0);
void disarm();
// Writes counted since the hook was armed, the failed ones included.
int writes_counted();

// Asked by the write path before each write: false when this one must fail.
bool allows(int handle);

} // namespace vornmac::platform::write_fault
