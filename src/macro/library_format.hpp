// The macro library file format, byte for byte. A library is a 16-byte file header
// (magic, head of the macro list, head of the free list, end offset) followed by records
// and free blocks anywhere after it; all integers are little-endian and all offsets are
// absolute. Nothing here dumps a C++ struct: every field is encoded and decoded one at a
// time, so the layout is the same on every machine.
//
// This file knows nothing of parser contexts: `LibraryFile` reads and writes an open
// descriptor and every reader checks what it reads against the file it came from. What
// it finds wrong is returned as a `Damage` (where, and what was expected), never acted on,
// so the parser turns it into a numbered error and `vornmac lib check` into a report.
#pragma once
#include "input/quoting_bytes.hpp"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vornmac::maclib {

inline constexpr uint32_t library_magic = 0xFED9E868;
inline constexpr int32_t file_header_size = 16;
inline constexpr int32_t macro_header_size = 34;
inline constexpr int32_t free_block_header_size = 6;
// A split of a free block leaves a free remainder only when it is at least this large;
// a smaller remainder stays inside the record that took the block.
inline constexpr int32_t split_remainder_minimum = 55;
// Sizes and lengths are 16-bit fields compared as signed values.
inline constexpr int32_t record_size_limit = 32767;
// Every stored body ends with an empty quoting pair, which the scanner reads as nothing.
inline constexpr std::string_view macro_end_marker = empty_quoting_pair;

struct FileHeader {
    uint32_t magic = library_magic;
    uint32_t list_head = 0;
    uint32_t free_head = 0;
    uint32_t end_offset = file_header_size;
};

// The first 34 bytes of a record. Invariant of a sound record at offset R:
// record_size == fixed_part_size() + body_length + 1, body_offset == R + fixed_part_size()
// and body_end == body_offset + body_length.
struct MacroHeader {
    uint32_t next = 0;
    double time_stamp = 0; // minutes: day number * 1440 + hour * 60 + minute
    uint16_t record_size = 0;
    uint16_t name_length = 0;
    uint16_t label_length = 0;
    uint16_t positional_count = 0;
    uint16_t named_count = 0;
    uint16_t longest_default = 0;
    uint16_t body_length = 0; // includes the end marker
    uint32_t body_offset = 0;
    uint32_t body_end = 0;
};

struct MacroParameter {
    std::string name;
    std::string default_text; // named parameters only
    bool named = false;
};

// Everything of a record but its body, which stays in the file.
struct MacroRecord {
    int32_t offset = 0;
    MacroHeader header;
    std::string name;
    std::string label;
    std::vector<MacroParameter> parameters; // positional ones first, in declaration order
};

// What a new record holds. `body` ends with macro_end_marker.
struct MacroDefinition {
    std::string name;
    std::string label;
    std::vector<MacroParameter> parameters;
    std::string body;
    double time_stamp = 0;
};

struct FreeBlock {
    int32_t offset = 0;
    uint32_t next = 0;
    uint16_t size = 0;
};

// Where a file is wrong and how: "record at 116: name length 900 does not fit in record
// size 60". An empty `what` means nothing was found wrong.
struct Damage {
    int32_t offset = 0;
    std::string what;
    explicit operator bool() const { return !what.empty(); }
};

// Field codecs; `at` must leave room for the field.
uint16_t get_u16(const unsigned char *at);
uint32_t get_u32(const unsigned char *at);
double get_f64(const unsigned char *at);
void put_u16(unsigned char *at, uint16_t value);
void put_u32(unsigned char *at, uint32_t value);
void put_f64(unsigned char *at, double value);

std::array<unsigned char, file_header_size> encode_file_header(const FileHeader &header);
FileHeader decode_file_header(const unsigned char *bytes);
MacroHeader decode_macro_header(const unsigned char *bytes);

// Bytes from the record's start to its body: header, name, label and parameters.
int32_t fixed_part_size(const MacroDefinition &definition);
// The record size that `definition` needs; may exceed record_size_limit.
int32_t record_size_for(const MacroDefinition &definition);
// The record as written at `offset`: everything but the reserved last byte, which is
// counted in the size and never written. The definition must fit record_size_limit.
std::vector<unsigned char> encode_record(const MacroDefinition &definition, int32_t offset,
                                         uint32_t next);

// An open library file, not owned: the descriptor stays with whoever opened it.
class LibraryFile {
  public:
    explicit LibraryFile(int handle) : handle_(handle) {}

    int handle() const { return handle_; }
    // Bytes in the file now, -1 when it cannot be told.
    int32_t size() const;
    // False when the range is not wholly inside the file or the read comes up short.
    bool read_at(int32_t offset, void *destination, int32_t count) const;
    bool write_at(int32_t offset, const void *source, int32_t count) const;

    // False for a file that is not a library at all (no magic number at its start).
    bool starts_with_magic() const;
    // The header, with damage when the file is too short, has another magic, or its
    // offsets point outside the file.
    Damage read_file_header(FileHeader &header) const;
    // The record at `offset` up to its body, every length checked against its size and
    // against the file; `space_end` is the header's end offset.
    Damage read_record(int32_t offset, uint32_t space_end, MacroRecord &record) const;
    // The link and size of the free block at `offset`, checked against `space_end`.
    Damage read_free_block(int32_t offset, uint32_t space_end, FreeBlock &block) const;

  private:
    int handle_;
};

// Follows a chain of links from `head`, refusing a link that comes back to an offset
// already met. `visit` reads the element at an offset and reports its next link.
class ChainWalk {
  public:
    explicit ChainWalk(uint32_t head) : next_(head) {}
    bool at_end() const { return next_ == 0; }
    uint32_t offset() const { return next_; }
    // Moves to `next`; damage when it closes a cycle.
    Damage advance(uint32_t next, const char *list_name);

  private:
    uint32_t next_;
    std::unordered_set<uint32_t> seen_;
};

// Walk a whole list from its head in the file header, reading each element with the
// checks of LibraryFile; `visit` gets the elements in list order and returns false to stop
// early. The result is the damage of the first bad element or link, if any.
Damage walk_macro_list(const LibraryFile &file, const FileHeader &header,
                       const std::function<bool(const MacroRecord &)> &visit);
Damage walk_free_list(const LibraryFile &file, const FileHeader &header,
                      const std::function<bool(const FreeBlock &)> &visit);

} // namespace vornmac::maclib
