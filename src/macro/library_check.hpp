// A whole-file inspection of a macro library, for tools that show a library to a user:
// it reads the header, walks the macro list and the free list to their ends, and checks
// what the parser itself never needs to look at (the end marker of every body, records and
// free blocks that overlap). It only reads; every fault found is reported with its place.
#pragma once
#include "macro/library_format.hpp"

#include <vector>

namespace vornmac::maclib {

struct LibraryReport {
    FileHeader header;
    bool header_sound = false;
    std::vector<MacroRecord> records; // newest first, as far as the macro list could be read
    std::vector<FreeBlock> free_blocks;
    std::vector<Damage> faults;
};

LibraryReport inspect_library(const LibraryFile &file);

// The body of a record without its end marker; false when it cannot be read.
bool read_body_text(const LibraryFile &file, const MacroRecord &record, std::string &text);

} // namespace vornmac::maclib
