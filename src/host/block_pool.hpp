// The block pool: blocks that are taken and given back all the time (variable values,
// working texts, chain segments). Requests are rounded to an even size and sorted into
// 1000 size classes of 16 bytes; a freed block waits on its class's list and is handed
// out again last-in first-out. Requests of 16000 bytes and more are large blocks, reused
// only for a strictly smaller request. New blocks are carved from 16000-byte areas that
// come from the chunk allocator; nothing returns to the system before the context ends.
//
// Invariant: the 16-bit word directly in front of every block handed out tells what it
// is: below 1000 its size class, 1000 or more a large block's capacity.
#pragma once
#include "host/chunk_allocator.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vornmac {

class BlockPool {
  public:
    static constexpr std::uint16_t class_count = 1000;
    static constexpr std::uint32_t area_capacity = 16000;

    explicit BlockPool(ChunkAllocator &chunks) : chunks_(chunks) {}
    BlockPool(const BlockPool &) = delete;
    BlockPool &operator=(const BlockPool &) = delete;

    // At least `size` bytes, not cleared; every 16-bit size is served. A block of a class
    // whose list holds one is the common case, served inline.
    void *alloc(std::uint16_t size) {
        const std::uint32_t cls = size_class(size);
        if (cls < class_count) {
            if (FreeBlock *block = free_lists_[cls]) {
                free_lists_[cls] = block->next;
                return block;
            }
        }
        return alloc_new(size);
    }
    void free(void *block) {
        if (block == nullptr) return;
        const std::uint16_t word = word_before(block);
        if (word >= class_count) return free_large(block);
        auto *freed = static_cast<FreeBlock *>(block);
        freed->next = free_lists_[word];
        free_lists_[word] = freed;
    }

    // Bytes usable in a block: class * 16 + 16, or a large block's capacity.
    static std::uint16_t usable_size(const void *block) {
        const std::uint16_t word = word_before(block);
        return word < class_count ? static_cast<std::uint16_t>(word * 16 + 16) : word;
    }

  private:
    struct Area {
        Area *next;
        Area *previous;
        std::uint32_t remaining;
        std::uint32_t capacity;
        std::byte *data() { return reinterpret_cast<std::byte *>(this + 1); }
    };
    struct LargeHeader {
        LargeHeader *next;
        LargeHeader *previous;
        std::uint16_t capacity;
        std::uint16_t unused[2];
        std::uint16_t class_word; // capacity again, directly before the data
    };
    struct FreeBlock {
        FreeBlock *next;
    };

    // Requests are rounded to an even size first.
    static std::uint32_t size_class(std::uint16_t size) {
        return ((static_cast<std::uint32_t>(size) + 1u) & ~1u) / 16;
    }
    static std::uint16_t word_before(const void *block) {
        std::uint16_t word;
        std::memcpy(&word, static_cast<const std::byte *>(block) - 2, sizeof word);
        return word;
    }
    // alloc() when the class's list is empty, or for a large block.
    void *alloc_new(std::uint16_t size);
    void free_large(void *block);
    void *carve(std::uint32_t size, std::uint16_t word);
    void *take_large(std::uint32_t size);
    static void unlink(LargeHeader *&list, LargeHeader *block);
    static void push(LargeHeader *&list, LargeHeader *block);

    ChunkAllocator &chunks_;
    FreeBlock *free_lists_[class_count] = {};
    Area *areas_with_room_ = nullptr;
    Area *used_up_areas_ = nullptr;
    LargeHeader *large_in_use_ = nullptr;
    LargeHeader *large_free_ = nullptr;
};

} // namespace vornmac
