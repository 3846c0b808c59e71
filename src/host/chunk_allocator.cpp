#include "host/chunk_allocator.hpp"

#include "platform/memory.hpp"

namespace vornmac {

namespace {
constexpr std::uint32_t round_up8(std::uint32_t n) {
    return (n + 7u) & ~7u;
}
} // namespace

ChunkAllocator::ChunkAllocator() {
    head_ = new_chunk(normal_capacity);
}

ChunkAllocator::~ChunkAllocator() {
    release_all();
}

ChunkAllocator::Chunk *ChunkAllocator::new_chunk(std::uint32_t capacity) {
    auto *chunk = static_cast<Chunk *>(platform::global_block_alloc(sizeof(Chunk) + capacity));
    chunk->next = head_;
    chunk->capacity = capacity;
    chunk->free = capacity;
    head_ = chunk;
    return chunk;
}

void *ChunkAllocator::alloc(std::uint32_t size) {
    size = round_up8(size);
    if (head_ == nullptr || size > head_->free) {
        // The rest of the old chunk is not used again; an oversized piece gets a chunk
        // of exactly its own size.
        new_chunk(size <= normal_capacity ? normal_capacity : size);
    }
    std::byte *piece = head_->data() + (head_->capacity - head_->free);
    head_->free -= size;
    return piece;
}

void ChunkAllocator::release_all() {
    while (head_ != nullptr) {
        Chunk *next = head_->next;
        platform::global_block_free(head_);
        head_ = next;
    }
}

std::size_t ChunkAllocator::chunk_count() const {
    std::size_t count = 0;
    for (const Chunk *c = head_; c != nullptr; c = c->next)
        ++count;
    return count;
}

std::uint32_t ChunkAllocator::free_in_current() const {
    return head_ ? head_->free : 0;
}

} // namespace vornmac
