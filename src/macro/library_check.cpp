// The two lists are walked independently, so a broken macro list still lets the free list
// be checked. Overlaps are found by sorting every extent by its start.
#include "macro/library_check.hpp"

#include <algorithm>

namespace vornmac::maclib {

namespace {

struct Extent {
    int64_t start;
    int64_t end;
    std::string what;
};

void check_end_markers(const LibraryFile &file, LibraryReport &report) {
    for (const MacroRecord &r : report.records) {
        std::string tail(macro_end_marker.size(), '\0');
        if (r.header.body_length < macro_end_marker.size() ||
            !file.read_at(static_cast<int32_t>(r.header.body_end - macro_end_marker.size()),
                          tail.data(), static_cast<int32_t>(tail.size())) ||
            tail != macro_end_marker)
            report.faults.push_back(
                Damage{static_cast<int32_t>(r.header.body_offset),
                       "record at " + std::to_string(r.offset) + " (" + r.name +
                           "): the body does not end with the bytes 01 01 01 02"});
    }
}

void check_overlaps(LibraryReport &report) {
    std::vector<Extent> extents;
    for (const MacroRecord &r : report.records)
        extents.push_back({r.offset, r.offset + static_cast<int64_t>(r.header.record_size),
                           "record at " + std::to_string(r.offset)});
    for (const FreeBlock &b : report.free_blocks)
        extents.push_back({b.offset, b.offset + static_cast<int64_t>(b.size),
                           "free block at " + std::to_string(b.offset)});
    std::sort(extents.begin(), extents.end(),
              [](const Extent &a, const Extent &b) { return a.start < b.start; });
    for (size_t i = 1; i < extents.size(); ++i) {
        if (extents[i].start >= extents[i - 1].end) continue;
        report.faults.push_back(Damage{static_cast<int32_t>(extents[i].start),
                                       extents[i].what + ": overlaps " + extents[i - 1].what +
                                           ", which runs to " +
                                           std::to_string(extents[i - 1].end)});
    }
}

} // namespace

LibraryReport inspect_library(const LibraryFile &file) {
    LibraryReport report;
    if (!file.starts_with_magic()) {
        report.faults.push_back(Damage{0, "file header: not a macro library (the file does not "
                                          "begin with the bytes 68 E8 D9 FE)"});
        return report;
    }
    if (Damage d = file.read_file_header(report.header)) {
        report.faults.push_back(std::move(d));
        return report;
    }
    report.header_sound = true;
    // A fault ends its own list only.
    if (Damage d = walk_macro_list(file, report.header, [&](const MacroRecord &record) {
            report.records.push_back(record);
            return true;
        }))
        report.faults.push_back(std::move(d));
    if (Damage d = walk_free_list(file, report.header, [&](const FreeBlock &block) {
            report.free_blocks.push_back(block);
            return true;
        }))
        report.faults.push_back(std::move(d));
    check_end_markers(file, report);
    check_overlaps(report);
    return report;
}

bool read_body_text(const LibraryFile &file, const MacroRecord &record, std::string &text) {
    const int32_t length = std::max<int32_t>(0, record.header.body_length -
                                                    static_cast<int32_t>(macro_end_marker.size()));
    text.assign(static_cast<size_t>(length), '\0');
    return file.read_at(static_cast<int32_t>(record.header.body_offset), text.data(), length);
}

} // namespace vornmac::maclib
