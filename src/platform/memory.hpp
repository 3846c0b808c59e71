// Global memory blocks over malloc. Running out of memory is not a condition the library
// can recover from: the block allocator shows the fatal message and ends the process.
#pragma once
#include <cstddef>

namespace vornmac::platform {

// Returns `size` bytes, or null for a size of 0; never returns null otherwise.
void *global_block_alloc(std::size_t size);
void global_block_free(void *block);
// The fatal stop when memory runs out: the message, then exit status 1.
[[noreturn]] void out_of_memory();

} // namespace vornmac::platform
