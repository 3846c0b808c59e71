// Long-lived pieces of a parser context (buffers, records, name copies) are cut from
// large chunks and never given back one by one; the whole chain goes when the context
// ends. Pieces are rounded up to 8 bytes so that every piece is aligned for the records
// stored in it; apart from that they follow each other without gaps.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vornmac {

class ChunkAllocator {
  public:
    static constexpr std::uint32_t normal_capacity = 16000;

    ChunkAllocator();
    ~ChunkAllocator();
    ChunkAllocator(const ChunkAllocator &) = delete;
    ChunkAllocator &operator=(const ChunkAllocator &) = delete;

    // Never fails: running out of memory ends the process.
    void *alloc(std::uint32_t size);
    void release_all();

    std::size_t chunk_count() const;
    std::uint32_t free_in_current() const;

  private:
    struct Chunk {
        Chunk *next;
        std::uint32_t capacity;
        std::uint32_t free;
        std::byte *data() { return reinterpret_cast<std::byte *>(this + 1); }
    };
    Chunk *new_chunk(std::uint32_t capacity);

    Chunk *head_ = nullptr;
};

} // namespace vornmac
