// The variable file: version 2, the input stack as it was when the last parser finished,
// then every saved value in name order (newest first within a variable), ended by level
// -2. All integers are little-endian; the layout is read and written field by field.
//
// Reading checks every length against what is left of the file, so a truncated or damaged
// file is refused with a message instead of being half loaded.
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

struct VariableFileContents {
    std::vector<SavedInputRecord> input_records;
};

enum class LoadResult { loaded, wrong_version, damaged };

struct LoadOutcome {
    LoadResult result;
    uint16_t version = 0;
};

inline constexpr uint16_t variable_file_version = 2;
inline constexpr size_t max_input_records = 76;

// Parses the file's bytes into the store and `contents`.
LoadOutcome read_variable_file(const std::string &bytes, VarStore &store,
                               VariableFileContents &contents);
// The bytes of the file for the store's values at levels -1 and -2 (and any others).
std::string write_variable_file(const VarStore &store, const VariableFileContents &contents);
// The temporary name the save writes first: the extension replaced by "$$9".
std::string temporary_variable_file_name(const std::string &path);

} // namespace vornmac
