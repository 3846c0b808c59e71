// One slot of the input stack: the saved state of a source that another source has
// interrupted, or of the top source as last saved. Its read buffer belongs to the slot and
// is made once, the first time a file-like source uses the slot.
//
// Invariants: `kind` is one of ' ' (program file, or the terminal when `source_name` is
// empty), 'm' (macro text), 't' (file without a new level) and 's' (variable text);
// 0 <= offset <= length; `buffer_position` is 1024 when the buffer holds nothing;
// 0 <= silent_depth < 76.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace vornmac {

struct MacroVar;

inline constexpr int16_t read_buffer_size = 1024;
using ReadBuffer = std::array<char, read_buffer_size>;

struct InputSource {
    int handle = -1;
    int32_t offset = 0;
    int32_t length = 0;
    int16_t line = 1;
    int16_t column = 0;
    char kind = ' ';
    int16_t level = 0;
    int16_t end_blanks = 0;
    int16_t silent_depth = 0; // see InputStack::silent_depth
    std::string current_name; // shown in traces: the macro name for kind 'm'
    std::string source_name;  // what the source is opened by: file or variable name
    // Kind 's': the variable named source_name, once a resume has found it; null until then.
    // Variables are never removed from the store, so the search by name would find it again.
    MacroVar *variable = nullptr;
    std::unique_ptr<ReadBuffer> buffer;
    int16_t buffer_position = read_buffer_size;
    // Kind 'm': the macro's body as read from its library with the record, the bytes from
    // the file offset `body_start` on. The source reads them, not the file, which another
    // run may change while the macro runs. Null for a source restored from a variable file.
    std::shared_ptr<const std::string> body;
    int32_t body_start = 0;

    bool reads_a_file() const { return kind == ' ' || kind == 'm' || kind == 't'; }
};

} // namespace vornmac
