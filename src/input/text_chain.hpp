// Growable texts made of 256-byte segments from the block pool. Appending only copies the
// new bytes; released segments wait on the owner's free list and are reused first. A chain
// holds at most 32767 characters: longer appends are refused, not wrapped.
#pragma once
#include "host/block_pool.hpp"

#include <cstdint>
#include <string>

namespace vornmac {

class SegmentSupply;

class TextChain {
  public:
    static constexpr int16_t segment_size = 256;
    static constexpr int16_t max_length = 32767;

    explicit TextChain(SegmentSupply &supply);
    ~TextChain();
    TextChain(const TextChain &) = delete;
    TextChain &operator=(const TextChain &) = delete;

    // False when the text would make the chain longer than max_length (nothing appended).
    bool append(const char *text);
    int16_t length() const { return length_; }
    // A pool block with the whole text, zero-terminated; the caller frees it.
    char *flatten() const;
    std::string text() const;

    struct Segment {
        Segment *next;
        int16_t used;
        char text[segment_size];
    };

  private:
    SegmentSupply &supply_;
    Segment *first_;
    Segment *last_;
    int16_t length_ = 0;
};

class SegmentSupply {
  public:
    explicit SegmentSupply(BlockPool &pool) : pool_(pool) {}
    SegmentSupply(const SegmentSupply &) = delete;
    SegmentSupply &operator=(const SegmentSupply &) = delete;

    TextChain::Segment *take();
    void give_back(TextChain::Segment *first);
    BlockPool &pool() { return pool_; }

  private:
    BlockPool &pool_;
    TextChain::Segment *free_ = nullptr;
};

// Drops 0x01 markers, turns 0x02 quoted characters into plain ones, and control and high
// bytes into blanks; in place.
void clean_text(char *text);
int16_t trailing_blanks(const char *text);

} // namespace vornmac
