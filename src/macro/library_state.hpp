// Everything an update of a library rests on, read in one go while the updating run holds
// the file's exclusive lock: the header, the whole macro list, the whole free list and the
// file's size. It is checked as `vornmac lib check` checks it (links inside the file, no
// cycles, no record or free block overlapping another), so an update never takes a free
// block that would overwrite a live record, whatever the damage.
#pragma once
#include "macro/library_format.hpp"

#include <vector>

namespace vornmac::maclib {

struct LibraryState {
    FileHeader header;
    std::vector<MacroRecord> records;   // list order: newest first
    std::vector<FreeBlock> free_blocks; // list order
    int64_t file_size = 0;
};

// The first fault found, or none.
Damage read_library_state(const LibraryFile &file, LibraryState &state);

// Every place where a record or free block begins inside the one before it in the file.
std::vector<Damage> overlapping_extents(const std::vector<MacroRecord> &records,
                                        const std::vector<FreeBlock> &free_blocks);

} // namespace vornmac::maclib
