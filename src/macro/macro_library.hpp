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
// Invocation uses: slot(), open_library_slot, directory.lookup, called_macro (which makes
// the slot's file the current library handle), then reads the body from current_handle
// between the record's body_offset and body_end, starting with the block kept for it.
//
// What a slot's file holds is read from the file once while the file stays open: its names
// when it is opened, each record (with its body's first block) when a call first needs it.
// Closing the file, for whatever reason, forgets them. Nothing of this process writes into
// a file while it is open as a slot (the definition file takes the file away from every
// slot first), so what is kept are the bytes on disk; other programs must not change a
// library while a run has it open, as the original platform's sharing rules refused them.
#pragma once
#include "input/input_source.hpp"
#include "macro/library_format.hpp"
#include "macro/macro_directory.hpp"
#include "vars/var_store.hpp"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vornmac {

class ParserContext;

// A record as a call needs it: everything up to its body, and the first block of the body
// as the input stack reads it (read_source_block).
struct CalledMacro {
    maclib::MacroRecord record;
    std::string first_block;
    // The parameters' names as the variable store knows them, made by the first call: later
    // calls save through them without a search by name.
    mutable std::vector<KnownName> parameter_names;
};

struct LibrarySlot {
    std::string file_name;   // empty: the slot has no file
    int handle = -1;         // -1: closed
    uint32_t end_offset = 0; // from the file header, read when the slot is opened
    // Records read from the open file, by offset; empty whenever the file is closed. Shared,
    // so a call keeps its record while a statement among its arguments closes the slot.
    std::unordered_map<int32_t, std::shared_ptr<const CalledMacro>> called;
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
    // The record at `offset` of the slot's file with its body's first block: read as
    // read_slot_record does the first time, then kept while the file stays open. Null on
    // damage (error 4650).
    std::shared_ptr<const CalledMacro> called_macro(int16_t index, int32_t offset);
    // The first block of a record that called_macro gave, while the slot's file has stayed
    // open since; null when the body must be read from the file.
    const std::string *kept_first_block(int16_t index, const CalledMacro &called) const;
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
