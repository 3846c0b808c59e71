#include "host/block_pool.hpp"

#include <algorithm>
#include <cstring>

namespace vornmac {

namespace {
// Each carved piece starts with an 8-byte header whose last two bytes hold the word, so
// that the caller's bytes stay 8-byte aligned.
constexpr std::uint32_t piece_header = 8;
constexpr std::uint32_t min_room = 11;

} // namespace

void *BlockPool::alloc_new(std::uint16_t size) {
    const std::uint32_t rounded = (static_cast<std::uint32_t>(size) + 1u) & ~1u;
    const std::uint32_t cls = rounded / 16;
    if (cls >= class_count) return take_large(rounded);
    return carve(cls * 16 + 16, static_cast<std::uint16_t>(cls));
}

void *BlockPool::carve(std::uint32_t size, std::uint16_t word) {
    const std::uint32_t n = size + piece_header;
    Area *area = areas_with_room_;
    while (area != nullptr && area->remaining < n)
        area = area->next;
    if (area == nullptr) {
        const std::uint32_t capacity = n <= area_capacity ? area_capacity : n;
        area = static_cast<Area *>(chunks_.alloc(sizeof(Area) + capacity));
        area->capacity = capacity;
        area->remaining = capacity;
        area->previous = nullptr;
        area->next = areas_with_room_;
        if (areas_with_room_ != nullptr) areas_with_room_->previous = area;
        areas_with_room_ = area;
    }
    std::byte *piece = area->data() + (area->capacity - area->remaining);
    std::memcpy(piece + piece_header - 2, &word, sizeof word);
    area->remaining -= n;
    if (area->remaining < min_room) {
        if (area->previous != nullptr)
            area->previous->next = area->next;
        else
            areas_with_room_ = area->next;
        if (area->next != nullptr) area->next->previous = area->previous;
        area->next = used_up_areas_;
        area->previous = nullptr;
        used_up_areas_ = area;
    }
    return piece + piece_header;
}

// `size` is the rounded request: 65536 for the largest one, one more than a 16-bit
// capacity holds. That block records 65535, which is all a caller can ask for.
void *BlockPool::take_large(std::uint32_t size) {
    LargeHeader *best = nullptr;
    std::uint32_t best_capacity = 65535;
    for (LargeHeader *b = large_free_; b != nullptr; b = b->next) {
        if (b->capacity > size && b->capacity < best_capacity) {
            best = b;
            best_capacity = b->capacity;
        }
    }
    if (best == nullptr) {
        best = static_cast<LargeHeader *>(carve(sizeof(LargeHeader) + size, class_count));
        const auto capacity = static_cast<std::uint16_t>(std::min<std::uint32_t>(size, 65535));
        best->capacity = capacity;
        best->class_word = capacity;
        best->next = best->previous = nullptr;
    } else {
        unlink(large_free_, best);
    }
    push(large_in_use_, best);
    return best + 1;
}

void BlockPool::free_large(void *block) {
    auto *header = static_cast<LargeHeader *>(block) - 1;
    unlink(large_in_use_, header);
    push(large_free_, header);
}

void BlockPool::unlink(LargeHeader *&list, LargeHeader *block) {
    if (block->previous != nullptr)
        block->previous->next = block->next;
    else
        list = block->next;
    if (block->next != nullptr) block->next->previous = block->previous;
    block->next = block->previous = nullptr;
}

void BlockPool::push(LargeHeader *&list, LargeHeader *block) {
    block->previous = nullptr;
    block->next = list;
    if (list != nullptr) list->previous = block;
    list = block;
}

} // namespace vornmac
