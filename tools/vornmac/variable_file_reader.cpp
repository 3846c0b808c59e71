#include "variable_file_reader.hpp"

namespace vornmac::tool {

namespace {

constexpr uint16_t supported_version = 2;
constexpr int max_input_records = 76;
constexpr int16_t end_marker = -2;
constexpr int16_t deepest_level = 74;
constexpr size_t input_record_size = 33;

class ByteReader {
  public:
    explicit ByteReader(std::span<const unsigned char> bytes) : bytes_(bytes) {}

    size_t position() const { return position_; }

    std::span<const unsigned char> take(size_t count, const char *what) {
        if (count > bytes_.size() - position_)
            throw VariableFileError("truncated at byte " + std::to_string(position_) +
                                    " while reading " + what);
        const auto taken = bytes_.subspan(position_, count);
        position_ += count;
        return taken;
    }
    uint16_t u16(const char *what) {
        const auto b = take(2, what);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    int16_t i16(const char *what) { return static_cast<int16_t>(u16(what)); }
    // A terminated name: its length, then the name and its zero byte.
    std::string terminated_name(const char *what) {
        const uint16_t length = u16(what);
        const size_t start = position_;
        const auto b = take(size_t{length} + 1, what);
        if (b[length] != 0)
            throw VariableFileError(std::string(what) + " at byte " + std::to_string(start) +
                                    " does not end with a zero byte");
        return {b.begin(), b.end() - 1};
    }
    std::string counted_text(const char *what) {
        const uint16_t length = u16(what);
        const auto b = take(length, what);
        return {b.begin(), b.end()};
    }

  private:
    std::span<const unsigned char> bytes_;
    size_t position_ = 0;
};

// Field of a 33-byte input record image.
int16_t i16_at(std::span<const unsigned char> image, size_t at) {
    return static_cast<int16_t>(image[at] | (image[at + 1] << 8));
}
uint32_t u32_at(std::span<const unsigned char> image, size_t at) {
    return static_cast<uint32_t>(image[at]) | static_cast<uint32_t>(image[at + 1]) << 8 |
           static_cast<uint32_t>(image[at + 2]) << 16 | static_cast<uint32_t>(image[at + 3]) << 24;
}

SavedInput read_input(ByteReader &reader) {
    const auto image = reader.take(input_record_size, "an input record");
    SavedInput input;
    input.file_handle = i16_at(image, 0);
    input.offset = u32_at(image, 2);
    input.length = u32_at(image, 6);
    input.line = i16_at(image, 10);
    input.column = i16_at(image, 12);
    input.kind = static_cast<char>(image[14]);
    input.level = i16_at(image, 15);
    input.end_blanks = i16_at(image, 17);
    input.buffer_position = i16_at(image, 31);
    input.source_name = reader.terminated_name("an input source name");
    input.current_name = reader.terminated_name("an input current name");
    return input;
}

} // namespace

VariableFile parse_variable_file(std::span<const unsigned char> bytes) {
    ByteReader reader(bytes);
    VariableFile file;
    file.version = reader.u16("the version");
    if (file.version != supported_version)
        throw VariableFileError("version " + std::to_string(file.version) + ", expected " +
                                std::to_string(supported_version));
    const int16_t input_top = reader.i16("the input top");
    if (input_top < -1 || input_top >= max_input_records)
        throw VariableFileError("input top " + std::to_string(input_top) + " outside -1.." +
                                std::to_string(max_input_records - 1));
    for (int i = 0; i <= input_top; ++i)
        file.inputs.push_back(read_input(reader));
    for (;;) {
        const size_t start = reader.position();
        const int16_t level = reader.i16("a value level");
        if (level == end_marker) break;
        if (level < end_marker || level > deepest_level)
            throw VariableFileError("level " + std::to_string(level) + " at byte " +
                                    std::to_string(start) + " outside -2..74");
        SavedValue value{level, reader.counted_text("a variable name"), ""};
        value.text = reader.counted_text("a variable text");
        file.values.push_back(std::move(value));
    }
    return file;
}

} // namespace vornmac::tool
