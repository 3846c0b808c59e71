#include "input/input_image.hpp"

namespace vornmac {

namespace {
enum Field : size_t {
    handle_at = 0,
    offset_at = 2,
    length_at = 6,
    line_at = 10,
    column_at = 12,
    kind_at = 14,
    level_at = 15,
    end_blanks_at = 17,
    buffer_position_at = 31,
};

using Image = std::array<unsigned char, SavedInputRecord::image_size>;

void put(Image &image, size_t at, uint32_t value, size_t width) {
    for (size_t i = 0; i < width; ++i)
        image[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t get(const Image &image, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= uint32_t{image[at + i]} << (8 * i);
    return value;
}

int16_t get16(const Image &image, size_t at) {
    return static_cast<int16_t>(get(image, at, 2));
}
} // namespace

SavedInputRecord image_of(const InputSource &source) {
    SavedInputRecord record;
    Image &image = record.image;
    put(image, handle_at, static_cast<uint16_t>(source.handle), 2);
    put(image, offset_at, static_cast<uint32_t>(source.offset), 4);
    put(image, length_at, static_cast<uint32_t>(source.length), 4);
    put(image, line_at, static_cast<uint16_t>(source.line), 2);
    put(image, column_at, static_cast<uint16_t>(source.column), 2);
    image[kind_at] = static_cast<unsigned char>(source.kind);
    put(image, level_at, static_cast<uint16_t>(source.level), 2);
    put(image, end_blanks_at, static_cast<uint16_t>(source.end_blanks), 2);
    put(image, buffer_position_at, static_cast<uint16_t>(source.buffer_position), 2);
    record.source_name = source.source_name;
    record.current_source_name = source.current_name;
    return record;
}

InputSource source_from_image(const SavedInputRecord &record) {
    const Image &image = record.image;
    InputSource source;
    source.offset = static_cast<int32_t>(get(image, offset_at, 4));
    source.length = static_cast<int32_t>(get(image, length_at, 4));
    source.line = get16(image, line_at);
    source.column = get16(image, column_at);
    source.kind = static_cast<SourceKind>(image[kind_at]);
    source.level = get16(image, level_at);
    source.end_blanks = get16(image, end_blanks_at);
    source.source_name = record.source_name;
    source.current_name = record.current_source_name;
    // A file from elsewhere may hold anything here; keep the slot's invariant.
    if (source.length < 0) source.length = 0;
    if (source.offset < 0 || source.offset > source.length) source.offset = source.length;
    return source;
}

} // namespace vornmac
