// Space management inside a library file. A new record takes the first free block that is
// large enough (first fit, walking the free list from its head); the rest of that block
// becomes a free block of its own only when it is 55 bytes or more, otherwise it stays
// inside the record. With no block large enough the record goes to the end offset. A
// deleted record becomes a free block at the head of the free list.
//
// Protocol: `plan_space` reads and checks the free list but writes nothing; the caller
// writes the record at the planned offset, then `commit_space` writes the links that
// take the block off the list, and last the caller writes the file header. A failure
// before the header is written leaves the old header naming the old lists.
#pragma once
#include "macro/library_format.hpp"

namespace vornmac::maclib {

struct SpacePlan {
    int32_t offset = 0;           // where the record goes
    int32_t previous_block = 0;   // free block whose link changes; 0: the header's free head
    uint32_t replacement = 0;     // what that link becomes
    int32_t remainder_offset = 0; // 0: no remainder block
    uint32_t remainder_next = 0;
    uint16_t remainder_size = 0;
    bool from_free_list = false;
};

Damage plan_space(const LibraryFile &file, const FileHeader &header, int32_t record_size,
                  SpacePlan &plan);
// Writes the remainder block and the changed link; updates `header` (free head, end offset).
bool commit_space(const LibraryFile &file, FileHeader &header, const SpacePlan &plan,
                  int32_t record_size);
// Turns the record at `offset` into the head of the free list.
bool release_space(const LibraryFile &file, FileHeader &header, int32_t offset,
                   uint16_t record_size);

} // namespace vornmac::maclib
