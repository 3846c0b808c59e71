// Global memory blocks: malloc underneath, with the library's fatal stop on failure.
#include "platform/memory.hpp"

#include "platform/message_box.hpp"

#include <cstdlib>

namespace vornmac::platform {

void *global_block_alloc(std::size_t size) {
    if (size == 0) return nullptr;
    void *block = std::malloc(size);
    if (block == nullptr) out_of_memory();
    return block;
}

void out_of_memory() {
    show_message_box("Malloc Function", "Malloc Returned Null");
    std::exit(1);
}

void global_block_free(void *block) {
    std::free(block);
}

} // namespace vornmac::platform
