// The variable file: version 2, the input stack as it was when the last parser finished,
// then every saved value in name order (newest first within a variable), ended by level
// -2. All integers are little-endian; the layout is read and written field by field.
//
// One set of rules says what the file may hold (fits_variable_file): the writer leaves
// out what breaks them and the reader refuses it, so a file the library wrote always
// loads. Reading checks every length against what is left of the file, so a truncated or
// damaged file is refused with the offset where it broke instead of being half loaded.
#pragma once
#include "vars/var_store.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vornmac {

// One input-stack slot as the file keeps it: the packed 33-byte image and its two names.
struct SavedInputRecord {
    static constexpr size_t image_size = 33;
    std::array<unsigned char, image_size> image{};
    std::string source_name;
    std::string current_source_name;
};

struct SavedValue {
    int16_t level;
    std::string name;
    std::string text;
};

struct VariableFileContents {
    std::vector<SavedInputRecord> input_records;
    std::vector<SavedValue> values; // as a load reads them: up to the first of level -2
};

enum class LoadResult { loaded, wrong_version, damaged };

struct LoadOutcome {
    LoadResult result;
    uint16_t version = 0;
    std::string problem; // for a damaged file: what broke, at which byte offset
};

inline constexpr uint16_t variable_file_version = 2;
inline constexpr size_t max_input_records = 76;
// Names are read into a buffer of 100 bytes; texts are values of the store.
inline constexpr size_t max_saved_name = 99;
inline constexpr int16_t highest_saved_level = VarStore::level_limit - 1;
// No file the library writes is larger: 76 input records with names of any 16-bit
// length, and two saved values (levels -2 and -1) of every variable the store can hold.
inline constexpr int64_t max_variable_file_size =
    2 + 2 + int64_t{max_input_records} * (SavedInputRecord::image_size + 2 * (2 + 65535 + 1)) +
    2 * int64_t{VarStore::max_variables} * (2 + 2 + max_saved_name + 2 + VarStore::max_text) + 2;

// The rule both directions keep for one value.
bool fits_variable_file(int16_t level, size_t name_length, size_t text_length);

// Parses the file's bytes into `contents`, checking every rule.
LoadOutcome parse_variable_file(const std::string &bytes, VariableFileContents &contents);
// parse_variable_file, then the values into the store.
LoadOutcome read_variable_file(const std::string &bytes, VarStore &store,
                               VariableFileContents &contents);
// The bytes of the file for the store's values that fit the rules; the others are added
// to `left_out` when it is given.
std::string write_variable_file(const VarStore &store, const VariableFileContents &contents,
                                std::vector<SavedValue> *left_out = nullptr);
// The temporary name the save writes first: the extension replaced by "$$9".
std::string temporary_variable_file_name(const std::string &path);

} // namespace vornmac
