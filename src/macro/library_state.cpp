#include "macro/library_state.hpp"

#include <algorithm>
#include <string>

namespace vornmac::maclib {

namespace {
struct Extent {
    int64_t start;
    int64_t end;
    std::string what;
};
} // namespace

std::vector<Damage> overlapping_extents(const std::vector<MacroRecord> &records,
                                        const std::vector<FreeBlock> &free_blocks) {
    std::vector<Extent> extents;
    for (const MacroRecord &r : records)
        extents.push_back({r.offset, r.offset + static_cast<int64_t>(r.header.record_size),
                           "record at " + std::to_string(r.offset)});
    for (const FreeBlock &b : free_blocks)
        extents.push_back({b.offset, b.offset + static_cast<int64_t>(b.size),
                           "free block at " + std::to_string(b.offset)});
    std::sort(extents.begin(), extents.end(),
              [](const Extent &a, const Extent &b) { return a.start < b.start; });
    std::vector<Damage> faults;
    for (size_t i = 1; i < extents.size(); ++i) {
        if (extents[i].start >= extents[i - 1].end) continue;
        faults.push_back(Damage{static_cast<int32_t>(extents[i].start),
                                extents[i].what + ": overlaps " + extents[i - 1].what +
                                    ", which runs to " + std::to_string(extents[i - 1].end)});
    }
    return faults;
}

Damage read_library_state(const LibraryFile &file, LibraryState &state) {
    state = LibraryState{};
    state.file_size = file.size();
    if (!file.starts_with_magic())
        return Damage{0, "file header: the file does not begin with the bytes 68 E8 D9 FE"};
    if (Damage d = file.read_file_header(state.header)) return d;
    if (Damage d = walk_macro_list(file, state.header, [&](const MacroRecord &record) {
            state.records.push_back(record);
            return true;
        }))
        return d;
    if (Damage d = walk_free_list(file, state.header, [&](const FreeBlock &block) {
            state.free_blocks.push_back(block);
            return true;
        }))
        return d;
    std::vector<Damage> overlaps = overlapping_extents(state.records, state.free_blocks);
    return overlaps.empty() ? Damage{} : std::move(overlaps.front());
}

} // namespace vornmac::maclib
