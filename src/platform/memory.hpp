// Global memory blocks over malloc. Running out of memory is not a condition the library
// can recover from: the block allocator shows the fatal message and ends the process.
#pragma once
#include <cstddef>

namespace vornmac::platform {

// Returns `size` bytes, or null for a size of 0; never returns null otherwise.
void *global_block_alloc(std::size_t size);
void global_block_free(void *block);

} // namespace vornmac::platform
