// Reads the binary variable file that the library saves when a parser finishes: the
// version, a snapshot of the input stack, and the saved variable values, little-endian
// with fixed field widths. Every read is bounds-checked; a file that breaks the layout is
// refused with the byte offset where it broke, never read past its end.
#pragma once
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vornmac::tool {

// One saved input source (an image of an input stack slot).
struct SavedInput {
    int16_t file_handle = 0; // meaningless in the file
    uint32_t offset = 0;     // characters consumed so far
    uint32_t length = 0;     // 9999999 for the terminal
    int16_t line = 0;
    int16_t column = 0;
    char kind = ' '; // ' ' program file or terminal, 'm' macro, 't' file, 's' variable text
    int16_t level = 0;
    int16_t end_blanks = 0;
    int16_t buffer_position = 0;
    std::string source_name;  // file name, or variable name for kind 's'
    std::string current_name; // the macro name for kind 'm'
};

struct SavedValue {
    int16_t level = 0;
    std::string name;
    std::string text;
};

struct VariableFile {
    uint16_t version = 0;
    std::vector<SavedInput> inputs;
    std::vector<SavedValue> values;
};

class VariableFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The values are those the library would load: reading stops at the first value of level
// -2, which doubles as the end marker.
VariableFile parse_variable_file(std::span<const unsigned char> bytes);

} // namespace vornmac::tool
