// The writes of one library update, in the order they are made. The file is changed in place,
// so the order is what keeps it safe: every prefix of the writes leaves a sound library that
// holds the macros as they were before the update or as they are after it, so a run killed,
// or a disk filled, at any write loses nothing. The rules:
//  1. Nothing is overwritten while the lists still reach it. A free block is taken off the
//     free list before a record is written into it; a record is unlinked before it is made
//     a free block.
//  2. What is new is written where nothing reaches it, then linked by one write (a link or the
//     header), which is the moment the update takes effect.
//  3. A record that replaces one of the same name is linked first, in front of the old one,
//     which it hides (a call finds the newest record of a name); the old one is unlinked after.
//  4. When the new record goes where the old one lies and the old one is not first in the
//     list, rules 1-3 leave no order: a copy of the new record is linked first from past the
//     file's end, the old record is then replaced, and the copy's room given back by cutting
//     the file to its old size.
// The file ends up with the bytes of the plain order (the old record deleted, the first free
// block that fits taken, with the 55-byte split rule, or the record appended; the header
// last), which other installations write too.
//
// Nothing here reads or writes a file: a plan is made from the library's state as read under
// the writer's exclusive lock, and the caller writes it.
#pragma once
#include "macro/library_format.hpp"
#include "macro/library_state.hpp"

#include <cstddef>
#include <optional>
#include <vector>

namespace vornmac::maclib {

struct PlannedWrite {
    int32_t offset = 0;
    std::vector<unsigned char> bytes;
};

struct UpdatePlan {
    std::vector<PlannedWrite> writes;
    int64_t truncate_to = -1; // after the writes; -1: the size stays
    FileHeader header;        // the header once everything is written
};

// A new record for `definition` (of `record_size` bytes, stamped already) at the head of the
// macro list; it replaces the record at list position `replaced` when one is given (the
// newest of its name).
UpdatePlan plan_store(const LibraryState &state, const MacroDefinition &definition,
                      int32_t record_size, std::optional<size_t> replaced);
// The record at list position `index` removed and made the head of the free list.
UpdatePlan plan_delete(const LibraryState &state, size_t index);

} // namespace vornmac::maclib
