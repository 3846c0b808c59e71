// The macro library of one parser context: the definition file that `%macro` writes
// into (named by `_macromacro`), the seven library slots that invocation searches (named
// by `_macro1` to `_macro7`), the directory of the names in the slots, and the current
// library handle that records and macro text are read through.
//
// Protocol. The definition file is opened read-write by `open_definition_file` before
// every change or listing; a slot's file is opened read-only, lazily, the first time it
// is searched. One file is never open both ways: opening it in one role closes it in the
// other. Every operation that can fail raises its numbered error and returns false (the
// reporter returns when the host has no recovery mark), leaving the file as it was.
//
// Macro definition uses: open_definition_file, delete_macro, store_macro.
// Invocation uses: slot(), open_library_slot, directory.lookup, read_slot_record (which
// makes the slot's file the current library handle), then reads the body from
// current_handle between the record's body_offset and body_end.
#pragma once
#include "macro/library_format.hpp"
#include "macro/macro_directory.hpp"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace vornmac {

class ParserContext;

struct LibrarySlot {
    std::string file_name;   // empty: the slot has no file
    int handle = -1;         // -1: closed
    uint32_t end_offset = 0; // from the file header, read when the slot is opened
    bool is_open() const { return handle != -1; }
};

// ".mac" is added to a name without an extension: scanning back from its end, a `.`
// comes before any `\` or `/` and before the first character.
std::string with_library_extension(const std::string &name);

class MacroLibrary {
  public:
    explicit MacroLibrary(ParserContext &context) : context_(context) {}
    ~MacroLibrary();
    MacroLibrary(const MacroLibrary &) = delete;
    MacroLibrary &operator=(const MacroLibrary &) = delete;

    // The definition file.
    bool open_definition_file();
    // Writes a new record at the head of the macro list, stamped with clock(). The body
    // ends with macro_end_marker. Error 4651 when the record would pass 32767 bytes.
    bool store_macro(maclib::MacroDefinition definition);
    // Removes the first (newest) record of that name; none is no error.
    bool delete_macro(const char *name);
    // Calls `visit` for each record of the definition file, newest first, until it
    // returns false. False when the list is damaged (error raised).
    bool for_each_definition(const std::function<bool(const maclib::MacroRecord &)> &visit);
    const std::string &definition_name() const { return definition_name_; }
    int definition_handle() const { return definition_handle_; }
    const maclib::FileHeader &definition_header() const { return header_; }

    // The slots, 0 to 6 (slot k of the language is index k - 1).
    const LibrarySlot &slot(int16_t index) const { return slots_[static_cast<size_t>(index)]; }
    bool open_library_slot(int16_t index, const char *macro_name);
    void forget_library_slot(int16_t index);
    // Closes a slot, drops its offsets from the directory and forgets its file name.
    void clear_slot(int16_t index);
    void set_slot_file(int16_t index, std::string file_name);
    // Reads the record at `offset` of the slot's file, which becomes the current library
    // file. False on damage (error 4650).
    bool read_slot_record(int16_t index, int32_t offset, maclib::MacroRecord &record);
    // The handle of the first slot whose file has that name, opened when closed; -1
    // after error 2078 (no such slot) or an error of opening it.
    int find_library_handle(const std::string &file_name);
    // Start-up: the slots take their names from `_macro1` to `_macro7`, all closed.
    void configure_slots();
    // Finish: every open slot file is closed.
    void close_slots();

    // True when macro text on the input stack comes from a library file of this name.
    bool supplies_running_text(const std::string &file_name) const;

    MacroDirectory directory;
    int current_handle = -1;
    int16_t first_slot = 0; // invocation searches from here to the last slot
    std::function<double()> clock;

  private:
    void close_definition_file();
    void close_slot_file(LibrarySlot &s);
    bool fail_damaged(const std::string &file_name, const maclib::Damage &damage);
    bool write_definition_header();

    ParserContext &context_;
    std::string definition_name_;
    int definition_handle_ = -1;
    maclib::FileHeader header_;
    std::array<LibrarySlot, library_slot_count> slots_;
};

} // namespace vornmac
