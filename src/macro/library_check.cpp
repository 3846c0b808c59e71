// The two lists are walked independently, so a broken macro list still lets the free list
// be checked.
#include "macro/library_check.hpp"

#include "macro/library_state.hpp"

#include <algorithm>

namespace vornmac::maclib {

namespace {

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
    for (Damage &d : overlapping_extents(report.records, report.free_blocks))
        report.faults.push_back(std::move(d));
    return report;
}

bool read_body_text(const LibraryFile &file, const MacroRecord &record, std::string &text) {
    const int32_t length = std::max<int32_t>(0, record.header.body_length -
                                                    static_cast<int32_t>(macro_end_marker.size()));
    text.assign(static_cast<size_t>(length), '\0');
    return file.read_at(static_cast<int32_t>(record.header.body_offset), text.data(), length);
}

} // namespace vornmac::maclib
