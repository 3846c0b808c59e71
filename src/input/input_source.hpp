// The records of the input stack. `SourceState` is the reading state of one source: the live
// source being read is one, and each slot keeps the copy saved when another source
// interrupted it, so saving and resuming are plain copies. `InputSource` is a slot: that
// state, the variable level the source is read at, and what the slot owns for its source
// (its names, its read buffer, made once, the first time a file-like source uses the slot,
// and the bytes of its file read ahead of the buffer).
//
// Invariants: 0 <= offset <= length; `buffer_position` is 1024 when the buffer holds
// nothing; 0 <= silent_depth < 76. `kind` holds the byte the variable file stores; a file
// from elsewhere may give any byte, which reads like a variable's text.
#pragma once
#include "input/read_ahead.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace vornmac {

struct MacroVar;

// The kinds of source, by the letter the variable file's input records hold.
enum class SourceKind : char {
    program = ' ', // a program file, or the terminal when the source name is empty
    macro = 'm',   // a macro body, read from its library file
    file = 't',    // a file read without a variable level of its own
    text = 's',    // a variable's text
};

struct SourceState {
    int handle = -1; // the open file; 0 for the terminal
    int32_t offset = 0;
    int32_t length = 0;
    int16_t line = 1;
    int16_t column = 0;
    int16_t end_blanks = 0;
    int16_t buffer_position = read_buffer_size;
    // Kind macro: where in its body the block being read starts when it is read in place
    // (see InputStack::Cursor); -1 when the block is in the slot's buffer.
    int32_t window_from = -1;
    SourceKind kind = SourceKind::program;
    // See InputStack::substitute. Last: every token clears it together with the trigger's
    // depth, which InputStack keeps right after its live state, in one store.
    int16_t silent_depth = 0;

    bool reads_a_file() const {
        return kind == SourceKind::program || kind == SourceKind::macro || kind == SourceKind::file;
    }
};

struct InputSource : SourceState {
    // The variable level the source is read at. While the source is live the level is the
    // store's current level, so the level is the slot's alone.
    int16_t level = 0;
    std::string current_name; // shown in traces: the macro name for kind macro
    std::string source_name;  // what the source is opened by: file or variable name
    // White space in the names was made blanks for the error trace (see blank_names).
    bool names_blanked = false;
    // Kind text: the variable named source_name, once a resume has found it; null until
    // then. Variables are never removed from the store, so the search by name would find it
    // again.
    MacroVar *variable = nullptr;
    std::unique_ptr<ReadBuffer> buffer;
    ReadAhead ahead;
    // Kind macro: the macro's body as read from its library with the record, the bytes from
    // the file offset `body_start` on. The source reads them, not the file, which another
    // run may change while the macro runs. Null for a source restored from a variable file.
    std::shared_ptr<const std::string> body;
    int32_t body_start = 0;
};

} // namespace vornmac
