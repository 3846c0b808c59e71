#include "vars/variable_file.hpp"

#include <cstring>

namespace vornmac {

namespace {
constexpr int16_t end_marker = -2;
constexpr size_t max_name = 99;

class Reader {
  public:
    explicit Reader(const std::string &bytes) : bytes_(bytes) {}
    bool u16(uint16_t &value) {
        if (left() < 2) return false;
        value = static_cast<uint16_t>(byte(0) | (byte(1) << 8));
        at_ += 2;
        return true;
    }
    bool i16(int16_t &value) {
        uint16_t raw;
        if (!u16(raw)) return false;
        value = static_cast<int16_t>(raw);
        return true;
    }
    bool take(size_t count, std::string &out) {
        if (left() < count) return false;
        out.assign(bytes_, at_, count);
        at_ += count;
        return true;
    }
    // A length-prefixed name stored with its terminator.
    bool terminated_name(std::string &out) {
        uint16_t length;
        if (!u16(length) || !take(size_t{length} + 1, out) || out.back() != '\0') return false;
        out.pop_back();
        return true;
    }

  private:
    size_t left() const { return bytes_.size() - at_; }
    unsigned byte(size_t i) const { return static_cast<unsigned char>(bytes_[at_ + i]); }
    const std::string &bytes_;
    size_t at_ = 0;
};

void put_u16(std::string &out, uint16_t value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>(value >> 8);
}

void put_terminated_name(std::string &out, const std::string &name) {
    put_u16(out, static_cast<uint16_t>(name.size()));
    out += name;
    out += '\0';
}
} // namespace

LoadOutcome read_variable_file(const std::string &bytes, VarStore &store,
                               VariableFileContents &contents) {
    Reader in(bytes);
    LoadOutcome outcome{LoadResult::damaged};
    if (!in.u16(outcome.version)) return outcome;
    if (outcome.version != variable_file_version) {
        outcome.result = LoadResult::wrong_version;
        return outcome;
    }
    int16_t top;
    if (!in.i16(top) || top < -1 || top >= static_cast<int16_t>(max_input_records)) return outcome;
    contents.input_records.clear();
    for (int16_t i = 0; i <= top; ++i) {
        SavedInputRecord record;
        std::string image;
        if (!in.take(SavedInputRecord::image_size, image) ||
            !in.terminated_name(record.source_name) ||
            !in.terminated_name(record.current_source_name))
            return outcome;
        std::memcpy(record.image.data(), image.data(), SavedInputRecord::image_size);
        contents.input_records.push_back(std::move(record));
    }
    for (;;) {
        int16_t level;
        if (!in.i16(level)) return outcome;
        if (level == end_marker) break;
        uint16_t name_length;
        uint16_t text_length;
        std::string name;
        std::string text;
        if (level < VarStore::lowest_level || level >= VarStore::level_limit ||
            !in.u16(name_length) || name_length == 0 || name_length > max_name ||
            !in.take(name_length, name) || !in.u16(text_length) ||
            text_length > VarStore::max_text || !in.take(text_length, text) ||
            name.find('\0') != std::string::npos || text.find('\0') != std::string::npos)
            return outcome;
        if (store.save(level, name.c_str(), text.c_str()) == nullptr) return outcome;
    }
    outcome.result = LoadResult::loaded;
    return outcome;
}

std::string write_variable_file(const VarStore &store, const VariableFileContents &contents) {
    std::string out;
    put_u16(out, variable_file_version);
    put_u16(out, static_cast<uint16_t>(static_cast<int16_t>(contents.input_records.size()) - 1));
    for (const SavedInputRecord &record : contents.input_records) {
        std::array<unsigned char, SavedInputRecord::image_size> image = record.image;
        std::memset(image.data() + 27, 0, 4); // the read buffer means nothing in a file
        out.append(reinterpret_cast<const char *>(image.data()), image.size());
        put_terminated_name(out, record.source_name);
        put_terminated_name(out, record.current_source_name);
    }
    store.for_each_in_order([&](const MacroVar &var) {
        const size_t name_length = std::strlen(var.name);
        for (const VarLevel *v = var.values; v != nullptr; v = v->next) {
            put_u16(out, static_cast<uint16_t>(v->level));
            put_u16(out, static_cast<uint16_t>(name_length));
            out.append(var.name, name_length);
            const size_t text_length = std::strlen(v->text);
            put_u16(out, static_cast<uint16_t>(text_length));
            out.append(v->text, text_length);
        }
    });
    put_u16(out, static_cast<uint16_t>(end_marker));
    return out;
}

std::string temporary_variable_file_name(const std::string &path) {
    for (size_t i = path.size(); i > 1; --i) {
        const char c = path[i - 1];
        if (c == '\\' || c == '/') break;
        if (c == '.') return path.substr(0, i) + "$$9";
    }
    return path + ".$$9";
}

} // namespace vornmac
