// Encoding, decoding and checked reading of library files. Every length read from a file
// is checked before it is used to size a read, so a damaged file costs at most one
// refused read, never a huge allocation or a read past the file.
#include "macro/library_format.hpp"

#include "platform/raw_file.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vornmac::maclib {

uint16_t get_u16(const unsigned char *at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t get_u32(const unsigned char *at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

double get_f64(const unsigned char *at) {
    const uint64_t bits =
        static_cast<uint64_t>(get_u32(at)) | (static_cast<uint64_t>(get_u32(at + 4)) << 32);
    return std::bit_cast<double>(bits);
}

void put_u16(unsigned char *at, uint16_t value) {
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void put_u32(unsigned char *at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

void put_f64(unsigned char *at, double value) {
    const auto bits = std::bit_cast<uint64_t>(value);
    put_u32(at, static_cast<uint32_t>(bits));
    put_u32(at + 4, static_cast<uint32_t>(bits >> 32));
}

std::array<unsigned char, file_header_size> encode_file_header(const FileHeader &header) {
    std::array<unsigned char, file_header_size> bytes{};
    put_u32(bytes.data(), header.magic);
    put_u32(bytes.data() + 4, header.list_head);
    put_u32(bytes.data() + 8, header.free_head);
    put_u32(bytes.data() + 12, header.end_offset);
    return bytes;
}

FileHeader decode_file_header(const unsigned char *bytes) {
    return {get_u32(bytes), get_u32(bytes + 4), get_u32(bytes + 8), get_u32(bytes + 12)};
}

MacroHeader decode_macro_header(const unsigned char *bytes) {
    MacroHeader h;
    h.next = get_u32(bytes);
    h.time_stamp = get_f64(bytes + 4);
    h.record_size = get_u16(bytes + 12);
    h.name_length = get_u16(bytes + 14);
    h.label_length = get_u16(bytes + 16);
    h.positional_count = get_u16(bytes + 18);
    h.named_count = get_u16(bytes + 20);
    h.longest_default = get_u16(bytes + 22);
    h.body_length = get_u16(bytes + 24);
    h.body_offset = get_u32(bytes + 26);
    h.body_end = get_u32(bytes + 30);
    return h;
}

int32_t fixed_part_size(const MacroDefinition &definition) {
    auto size = static_cast<int64_t>(macro_header_size + definition.name.size() + 1 +
                                     definition.label.size() + 1);
    for (const MacroParameter &p : definition.parameters) {
        size += static_cast<int64_t>(p.name.size()) + 3;
        if (p.named) size += static_cast<int64_t>(p.default_text.size()) + 3;
    }
    return static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX / 2));
}

int32_t record_size_for(const MacroDefinition &definition) {
    const auto body = static_cast<int64_t>(std::min<size_t>(definition.body.size(), INT32_MAX / 4));
    return static_cast<int32_t>(
        std::min<int64_t>(fixed_part_size(definition) + body + 1, INT32_MAX / 2));
}

namespace {

class RecordWriter {
  public:
    explicit RecordWriter(std::vector<unsigned char> &bytes) : bytes_(bytes) {}
    void u16(size_t length) {
        unsigned char two[2];
        put_u16(two, static_cast<uint16_t>(length));
        bytes_.insert(bytes_.end(), two, two + 2);
    }
    void text(const std::string &t) {
        bytes_.insert(bytes_.end(), t.begin(), t.end());
        bytes_.push_back(0);
    }
    void counted_text(const std::string &t) {
        u16(t.size());
        text(t);
    }

  private:
    std::vector<unsigned char> &bytes_;
};

} // namespace

std::vector<unsigned char> encode_record(const MacroDefinition &definition, int32_t offset,
                                         uint32_t next) {
    const int32_t fixed = fixed_part_size(definition);
    const int32_t size = record_size_for(definition);
    uint16_t positional = 0;
    uint16_t named = 0;
    size_t longest_default = 0;
    for (const MacroParameter &p : definition.parameters) {
        if (!p.named) {
            ++positional;
            continue;
        }
        ++named;
        longest_default = std::max(longest_default, p.default_text.size());
    }
    std::vector<unsigned char> bytes(macro_header_size);
    unsigned char *h = bytes.data();
    const auto body_offset = static_cast<uint32_t>(offset + fixed);
    put_u32(h, next);
    put_f64(h + 4, definition.time_stamp);
    put_u16(h + 12, static_cast<uint16_t>(size));
    put_u16(h + 14, static_cast<uint16_t>(definition.name.size()));
    put_u16(h + 16, static_cast<uint16_t>(definition.label.size()));
    put_u16(h + 18, positional);
    put_u16(h + 20, named);
    put_u16(h + 22, static_cast<uint16_t>(longest_default));
    put_u16(h + 24, static_cast<uint16_t>(definition.body.size()));
    put_u32(h + 26, body_offset);
    put_u32(h + 30, body_offset + static_cast<uint32_t>(definition.body.size()));
    RecordWriter writer(bytes);
    writer.text(definition.name);
    writer.text(definition.label);
    for (const MacroParameter &p : definition.parameters) {
        writer.counted_text(p.name);
        if (p.named) writer.counted_text(p.default_text);
    }
    bytes.insert(bytes.end(), definition.body.begin(), definition.body.end());
    return bytes;
}

int32_t LibraryFile::size() const {
    // Offsets are 32-bit fields: a larger file is read as if it ended at the largest one.
    const int64_t bytes = platform::raw_size(handle_);
    return bytes < 0 ? -1 : static_cast<int32_t>(std::min<int64_t>(bytes, INT32_MAX));
}

bool LibraryFile::read_at(int32_t offset, void *destination, int32_t count) const {
    if (offset < 0 || count < 0) return false;
    if (platform::raw_seek(handle_, offset, 0) != offset) return false;
    return platform::raw_read(handle_, destination, count) == count;
}

bool LibraryFile::write_at(int32_t offset, const void *source, int32_t count) const {
    if (offset < 0 || count < 0) return false;
    if (platform::raw_seek(handle_, offset, 0) != offset) return false;
    return platform::raw_write(handle_, source, count) == count;
}

namespace {

Damage damage_at(int64_t offset, std::string what) {
    return Damage{static_cast<int32_t>(std::clamp<int64_t>(offset, 0, INT32_MAX)), std::move(what)};
}

std::string where(const char *element, int64_t offset) {
    return std::string(element) + " at " + std::to_string(offset) + ": ";
}

// Offsets that may start a record or a free block: after the header, inside the space.
bool link_inside(uint32_t link, uint32_t space_end, int32_t element_size) {
    return link >= static_cast<uint32_t>(file_header_size) &&
           static_cast<int64_t>(link) + element_size <= static_cast<int64_t>(space_end);
}

// Reads a record's texts and parameters from the bytes after its header.
class FieldCursor {
  public:
    FieldCursor(const std::vector<unsigned char> &bytes, int32_t record_offset)
        : bytes_(bytes), record_offset_(record_offset) {}

    Damage text(uint16_t length, const char *field, std::string &out) {
        if (length > remaining() || remaining() - length < 1)
            return fault(std::string(field) + " of length " + std::to_string(length) +
                         " runs past the record's fixed part");
        const auto *start = bytes_.data() + position_;
        if (start[length] != 0) return fault(std::string(field) + " is not followed by a NUL byte");
        out.assign(reinterpret_cast<const char *>(start), length);
        position_ += static_cast<size_t>(length) + 1;
        return {};
    }
    Damage counted_text(const char *field, std::string &out) {
        if (remaining() < 2)
            return fault(std::string(field) + " length runs past the record's fixed part");
        const uint16_t length = get_u16(bytes_.data() + position_);
        position_ += 2;
        return text(length, field, out);
    }
    bool used_up() const { return remaining() == 0; }
    Damage fault(std::string what) const {
        return damage_at(record_offset_ + macro_header_size + static_cast<int64_t>(position_),
                         where("record", record_offset_) + what);
    }

  private:
    size_t remaining() const { return bytes_.size() - position_; }
    const std::vector<unsigned char> &bytes_;
    int32_t record_offset_;
    size_t position_ = 0;
};

} // namespace

bool LibraryFile::starts_with_magic() const {
    unsigned char bytes[4];
    return read_at(0, bytes, 4) && get_u32(bytes) == library_magic;
}

Damage LibraryFile::read_file_header(FileHeader &header) const {
    unsigned char bytes[file_header_size];
    const int32_t file_size = size();
    if (file_size < file_header_size || !read_at(0, bytes, file_header_size))
        return damage_at(0, "file header: the file holds " +
                                std::to_string(std::max(file_size, 0)) +
                                " bytes, a library needs at least 16");
    header = decode_file_header(bytes);
    if (header.magic != library_magic) return damage_at(0, "file header: wrong magic number");
    // The reserved last byte of the newest appended record is never written, so the end
    // offset may lie one byte past the file's end.
    if (header.end_offset < static_cast<uint32_t>(file_header_size) ||
        static_cast<int64_t>(header.end_offset) > static_cast<int64_t>(file_size) + 1)
        return damage_at(12, "file header: end offset " + std::to_string(header.end_offset) +
                                 " lies outside the file of " + std::to_string(file_size) +
                                 " bytes");
    if (header.list_head != 0 &&
        !link_inside(header.list_head, header.end_offset, macro_header_size))
        return damage_at(4, "file header: first record offset " + std::to_string(header.list_head) +
                                " lies outside the records (16 to " +
                                std::to_string(header.end_offset) + ")");
    if (header.free_head != 0 &&
        !link_inside(header.free_head, header.end_offset, free_block_header_size))
        return damage_at(
            8, "file header: first free block offset " + std::to_string(header.free_head) +
                   " lies outside the records (16 to " + std::to_string(header.end_offset) + ")");
    return {};
}

Damage LibraryFile::read_record(int32_t offset, uint32_t space_end, MacroRecord &record) const {
    const std::string here = where("record", offset);
    if (!link_inside(static_cast<uint32_t>(offset), space_end, macro_header_size))
        return damage_at(offset, here + "the 34-byte header lies outside the records (16 to " +
                                     std::to_string(space_end) + ")");
    unsigned char bytes[macro_header_size];
    if (!read_at(offset, bytes, macro_header_size))
        return damage_at(offset, here + "the file ends inside the record header");
    MacroHeader h = decode_macro_header(bytes);
    const int64_t minimum = macro_header_size + 2 + static_cast<int64_t>(h.body_length) + 1;
    if (h.record_size > record_size_limit || h.record_size < minimum)
        return damage_at(offset + 12, here + "record size " + std::to_string(h.record_size) +
                                          " cannot hold a body of " +
                                          std::to_string(h.body_length) + " bytes (expected " +
                                          std::to_string(minimum) + " to 32767)");
    if (offset + static_cast<int64_t>(h.record_size) > static_cast<int64_t>(space_end))
        return damage_at(offset + 12, here + "record size " + std::to_string(h.record_size) +
                                          " runs past the end offset " + std::to_string(space_end));
    const int32_t fixed = h.record_size - h.body_length - 1;
    if (h.body_offset != static_cast<uint32_t>(offset + fixed))
        return damage_at(offset + 26, here + "body offset " + std::to_string(h.body_offset) +
                                          " does not match the record's fields (expected " +
                                          std::to_string(offset + fixed) + ")");
    if (h.body_end != h.body_offset + h.body_length)
        return damage_at(offset + 30, here + "body end " + std::to_string(h.body_end) +
                                          " is not body offset + body length (expected " +
                                          std::to_string(h.body_offset + h.body_length) + ")");
    if (static_cast<int64_t>(h.body_end) > size())
        return damage_at(offset + 30, here + "the body ends at " + std::to_string(h.body_end) +
                                          ", past the end of the file");

    std::vector<unsigned char> fields(static_cast<size_t>(fixed - macro_header_size));
    if (!read_at(offset + macro_header_size, fields.data(), static_cast<int32_t>(fields.size())))
        return damage_at(offset, here + "the file ends inside the record");
    FieldCursor cursor(fields, offset);
    record = MacroRecord{};
    record.offset = offset;
    record.header = h;
    if (Damage d = cursor.text(h.name_length, "name", record.name)) return d;
    if (Damage d = cursor.text(h.label_length, "label", record.label)) return d;
    const int32_t parameter_count = h.positional_count + h.named_count;
    // Each parameter takes at least 3 bytes, so a count the record cannot hold is refused
    // before anything is allocated for it.
    if (parameter_count * 3 > fixed)
        return cursor.fault(std::to_string(parameter_count) + " parameters cannot fit");
    record.parameters.resize(static_cast<size_t>(parameter_count));
    size_t longest = 0;
    for (int32_t i = 0; i < parameter_count; ++i) {
        MacroParameter &p = record.parameters[static_cast<size_t>(i)];
        p.named = i >= h.positional_count;
        if (Damage d = cursor.counted_text("parameter name", p.name)) return d;
        if (p.named) {
            if (Damage d = cursor.counted_text("parameter default", p.default_text)) return d;
            longest = std::max(longest, p.default_text.size());
        }
    }
    if (!cursor.used_up())
        return cursor.fault("the fields end before the body offset " +
                            std::to_string(h.body_offset));
    if (longest != h.longest_default)
        return damage_at(offset + 22, here + "longest default length " +
                                          std::to_string(h.longest_default) +
                                          " does not match the defaults (expected " +
                                          std::to_string(longest) + ")");
    return {};
}

Damage LibraryFile::read_free_block(int32_t offset, uint32_t space_end, FreeBlock &block) const {
    const std::string here = where("free block", offset);
    if (!link_inside(static_cast<uint32_t>(offset), space_end, free_block_header_size))
        return damage_at(offset, here + "lies outside the records (16 to " +
                                     std::to_string(space_end) + ")");
    unsigned char bytes[free_block_header_size];
    if (!read_at(offset, bytes, free_block_header_size))
        return damage_at(offset, here + "the file ends inside the block's link and size");
    block.offset = offset;
    block.next = get_u32(bytes);
    block.size = get_u16(bytes + 4);
    if (block.size < free_block_header_size || block.size > record_size_limit ||
        offset + static_cast<int64_t>(block.size) > static_cast<int64_t>(space_end))
        return damage_at(offset + 4, here + "block size " + std::to_string(block.size) +
                                         " does not fit between 6 and the end offset " +
                                         std::to_string(space_end));
    return {};
}

Damage ChainWalk::advance(uint32_t next, const char *list_name) {
    seen_.insert(next_);
    if (next != 0 && seen_.contains(next))
        return damage_at(next_, std::string(list_name) + ": the link at " + std::to_string(next_) +
                                    " leads back to " + std::to_string(next) + ", a cycle");
    next_ = next;
    return {};
}

namespace {
// `read` fills an element from its offset; `next_of` gives the element's link.
template <typename Element, typename Read, typename NextOf>
Damage walk_list(uint32_t head, const char *list_name, Read read, NextOf next_of,
                 const std::function<bool(const Element &)> &visit) {
    Element element;
    for (ChainWalk walk(head); !walk.at_end();) {
        if (Damage d = read(static_cast<int32_t>(walk.offset()), element)) return d;
        if (!visit(element)) return {};
        if (Damage d = walk.advance(next_of(element), list_name)) return d;
    }
    return {};
}
} // namespace

Damage walk_macro_list(const LibraryFile &file, const FileHeader &header,
                       const std::function<bool(const MacroRecord &)> &visit) {
    return walk_list(
        header.list_head, "macro list",
        [&](int32_t offset, MacroRecord &record) {
            return file.read_record(offset, header.end_offset, record);
        },
        [](const MacroRecord &record) { return record.header.next; }, visit);
}

Damage walk_free_list(const LibraryFile &file, const FileHeader &header,
                      const std::function<bool(const FreeBlock &)> &visit) {
    return walk_list(
        header.free_head, "free list",
        [&](int32_t offset, FreeBlock &block) {
            return file.read_free_block(offset, header.end_offset, block);
        },
        [](const FreeBlock &block) { return block.next; }, visit);
}

} // namespace vornmac::maclib
