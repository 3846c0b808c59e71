#include "vars/variable_file.hpp"

#include <cstring>

namespace vornmac {

namespace {
constexpr int16_t end_marker = -2;

// Reads fields from the front of the file; the first failure is kept with its offset and
// every read after it fails too.
class Reader {
  public:
    explicit Reader(const std::string &bytes) : bytes_(bytes) {}

    bool u16(uint16_t &value, const char *what) {
        if (!need(2, what)) return false;
        value = static_cast<uint16_t>(byte(0) | (byte(1) << 8));
        at_ += 2;
        return true;
    }
    bool i16(int16_t &value, const char *what) {
        uint16_t raw;
        if (!u16(raw, what)) return false;
        value = static_cast<int16_t>(raw);
        return true;
    }
    bool take(size_t count, std::string &out, const char *what) {
        if (!need(count, what)) return false;
        out.assign(bytes_, at_, count);
        at_ += count;
        return true;
    }
    // A length-prefixed name stored with its terminator.
    bool terminated_name(std::string &out, const char *what) {
        uint16_t length;
        const size_t start = at_;
        if (!u16(length, what) || !take(size_t{length} + 1, out, what)) return false;
        if (out.back() != '\0')
            return fail(start, std::string(what) + " does not end with a zero byte");
        out.pop_back();
        return true;
    }
    bool fail(size_t offset, const std::string &problem) {
        if (problem_.empty()) problem_ = problem + " at byte " + std::to_string(offset);
        return false;
    }
    size_t offset() const { return at_; }
    const std::string &problem() const { return problem_; }

  private:
    bool need(size_t count, const char *what) {
        if (!problem_.empty()) return false;
        if (bytes_.size() - at_ >= count) return true;
        problem_ = "truncated at byte " + std::to_string(at_) + " while reading " + what;
        return false;
    }
    unsigned byte(size_t i) const { return static_cast<unsigned char>(bytes_[at_ + i]); }

    const std::string &bytes_;
    size_t at_ = 0;
    std::string problem_;
};

bool read_value(Reader &in, int16_t level, SavedValue &value) {
    const size_t start = in.offset() - 2;
    uint16_t name_length;
    uint16_t text_length;
    if (!in.u16(name_length, "a variable name") ||
        !in.take(name_length, value.name, "a variable name") ||
        !in.u16(text_length, "a variable text") ||
        !in.take(text_length, value.text, "a variable text"))
        return false;
    if (!fits_variable_file(level, name_length, text_length))
        return in.fail(start, "value of level " + std::to_string(level) + ", name length " +
                                  std::to_string(name_length) + " (1 to " +
                                  std::to_string(max_saved_name) + ", levels -2 to " +
                                  std::to_string(highest_saved_level) + ")");
    if (value.name.find('\0') != std::string::npos || value.text.find('\0') != std::string::npos)
        return in.fail(start, "zero byte inside a value");
    value.level = level;
    return true;
}

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

bool fits_variable_file(int16_t level, size_t name_length, size_t text_length) {
    return level >= VarStore::lowest_level && level <= highest_saved_level && name_length > 0 &&
           name_length <= max_saved_name && text_length <= VarStore::max_text;
}

LoadOutcome parse_variable_file(const std::string &bytes, VariableFileContents &contents) {
    contents = {};
    Reader in(bytes);
    LoadOutcome outcome{LoadResult::damaged, 0, {}};
    int16_t top = -1;
    if (in.u16(outcome.version, "the version") && outcome.version != variable_file_version) {
        outcome.result = LoadResult::wrong_version;
        return outcome;
    }
    if (in.i16(top, "the input top") &&
        (top < -1 || top >= static_cast<int16_t>(max_input_records)))
        in.fail(2, "input top " + std::to_string(top) + " outside -1.." +
                       std::to_string(max_input_records - 1));
    for (int16_t i = 0; i <= top && in.problem().empty(); ++i) {
        SavedInputRecord record;
        std::string image;
        if (!in.take(SavedInputRecord::image_size, image, "an input record") ||
            !in.terminated_name(record.source_name, "an input source name") ||
            !in.terminated_name(record.current_source_name, "an input current name"))
            break;
        std::memcpy(record.image.data(), image.data(), SavedInputRecord::image_size);
        contents.input_records.push_back(std::move(record));
    }
    for (int16_t level; in.i16(level, "a value level") && level != end_marker;) {
        SavedValue value;
        if (!read_value(in, level, value)) break;
        contents.values.push_back(std::move(value));
    }
    outcome.problem = in.problem();
    if (outcome.problem.empty()) outcome.result = LoadResult::loaded;
    return outcome;
}

LoadOutcome read_variable_file(const std::string &bytes, VarStore &store,
                               VariableFileContents &contents) {
    LoadOutcome outcome = parse_variable_file(bytes, contents);
    if (outcome.result != LoadResult::loaded) return outcome;
    for (const SavedValue &value : contents.values) {
        if (store.save(value.level, value.name.c_str(), value.text.c_str()) != nullptr) continue;
        outcome.result = LoadResult::damaged;
        outcome.problem = "more variables than the table holds";
        break;
    }
    return outcome;
}

std::string write_variable_file(const VarStore &store, const VariableFileContents &contents,
                                std::vector<SavedValue> *left_out) {
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
            const size_t text_length = std::strlen(v->text);
            if (!fits_variable_file(v->level, name_length, text_length)) {
                if (left_out != nullptr) left_out->push_back({v->level, var.name, ""});
                continue;
            }
            put_u16(out, static_cast<uint16_t>(v->level));
            put_u16(out, static_cast<uint16_t>(name_length));
            out.append(var.name, name_length);
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
