// Runs a piece of a test in a thread with as small a stack as a host's thread may have:
// 256 KiB. The sanitizer build's frames are about three times as large as the optimised
// build's, so there the thread gets four times as much. A test that overflows it crashes.
#pragma once
#include <cstddef>
#include <functional>

namespace vornmac::testing {

extern const std::size_t small_stack_size;

// Runs `work` to its end in the small stack; an exception it throws is thrown again here.
void run_in_small_stack(const std::function<void()> &work);

} // namespace vornmac::testing
