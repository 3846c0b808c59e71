// The macro library of one parser context: the definition file that `%macro` writes
// into (named by `_macromacro`), the seven library slots that invocation searches (named
// by `_macro1` to `_macro7`), the directory of the names in the slots, and the current
// library handle.
//
// Protocol. The definition file is opened read-write by `open_definition_file` before
// every change or listing; a slot's file is opened read-only, lazily, the first time it
// is searched. One file is never open both ways: opening it in one role closes it in the
// other. Every operation that can fail raises its numbered error and returns false (the
// reporter returns when the host has no recovery mark), leaving the file as it was.
//
// Many runs may share a library. Each update of the definition file (`store_macro`,
// `delete_macro`) holds the file's exclusive lock from the moment it reads the file's
// lists to its last write, and writes in the order of update_plan.hpp; every read of a
// library holds the shared lock (file_lock.hpp). A lock not won within `lock_patience`
// gives the open error of the role: 2006 for the definition file, 2008 for a slot.
//
// What a slot's file holds is read once and kept: its names when it is opened, each record
// with its whole body when a call first needs it, so a call reads nothing from the disk and
// a running macro's text can never be changed under it. What is kept is trusted while the
// file's stamp (file_stamp.hpp) stays as it was when the names were read: invocation looks
// at it once per tick of the coarse clock (`refresh_slot`), and every read of a record
// compares it under the lock, so a change made by another run is seen within a tick, and a
// record another run has freed or reused is never read.
#pragma once
#include "input/input_source.hpp"
#include "macro/library_format.hpp"
#include "macro/macro_directory.hpp"
#include "platform/file_stamp.hpp"
#include "vars/var_store.hpp"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vornmac {

class ParserContext;
namespace maclib {
struct LibraryState;
struct UpdatePlan;
} // namespace maclib

// A record as a call needs it: everything up to its body, and the whole body, read together
// under the file's shared lock.
struct CalledMacro {
    maclib::MacroRecord record;
    std::string body;
    // The parameters' names as the variable store knows them, made by the first call: later
    // calls save through them without a search by name.
    mutable std::vector<KnownName> parameter_names;
};

struct LibrarySlot {
    std::string file_name;   // empty: the slot has no file
    int handle = -1;         // -1: closed
    uint32_t end_offset = 0; // from the file header, read when the names were read
    // The file's stamp when its names were read, and the coarse clock when it was last
    // compared with the file's.
    platform::FileStamp stamp;
    int64_t checked_at = 0;
    // Moves on whenever the slot's names are read again or it is closed.
    uint32_t generation = 0;
    // Records read from the file, by offset; empty whenever the names are read again. Shared,
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
    // Writes a new record at the head of the macro list, stamped with clock(), in place of
    // the newest record of its name (if any). The body ends with macro_end_marker. Error 4651,
    // and nothing changed, when the record would pass 32767 bytes.
    bool store_macro(maclib::MacroDefinition definition);
    // Removes the first (newest) record of that name; none is no error.
    bool delete_macro(const char *name);
    // Calls `visit` for each record of the definition file, newest first, until it
    // returns false, all under the shared lock. False when the list is damaged (error raised).
    bool for_each_definition(const std::function<bool(const maclib::MacroRecord &)> &visit);
    const std::string &definition_name() const { return definition_name_; }
    int definition_handle() const { return definition_handle_; }

    // The slots, 0 to 6 (slot k of the language is index k - 1).
    const LibrarySlot &slot(int16_t index) const { return slots_[static_cast<size_t>(index)]; }
    // Opens the slot's file and reads its names. False after error 2008 (the slot stays
    // closed), or after 2007 or 4650: the file is no library or a damaged one, and the slot
    // stays open with no names, so the later slots are searched, until the file changes.
    bool open_library_slot(int16_t index, const char *macro_name);
    // Before a search of the slot: opens it when it is closed; when the coarse clock has
    // moved on since its stamp was last compared, reads its names again if the file changed.
    // False when the slot has no file or an error was raised.
    bool refresh_slot(int16_t index, const char *macro_name);
    void forget_library_slot(int16_t index);
    // Closes a slot, drops its offsets from the directory and forgets its file name.
    void clear_slot(int16_t index);
    void set_slot_file(int16_t index, std::string file_name);
    // The record at `offset` of the open slot's file, with its whole body: read the first time
    // under the shared lock, then kept. Null after an error (4650, or 2008 when the lock is
    // not won), or when the file changed since its names were read: `stale` is then set and
    // the names have been read again, so the caller looks the name up once more.
    std::shared_ptr<const CalledMacro> called_macro(int16_t index, int32_t offset, bool &stale);
    // How long an operation waits for another run's lock on a library.
    static inline std::chrono::milliseconds lock_patience{10000};
    // The handle of the first slot whose file has that name, opened when closed; -1
    // after error 2078 (no such slot) or an error of opening it.
    int find_library_handle(const std::string &file_name);
    // Start-up: the slots take their names from `_macro1` to `_macro7`, all closed.
    void configure_slots();
    // Finish: every open slot file is closed.
    void close_slots();
    // Another process may have changed the libraries (a waited-for command has ended): the
    // next search compares every slot's stamp, whatever the clock says.
    void expect_changes();

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
    // Reads the names of the open slot's file into the directory, under the shared lock.
    bool read_slot_names(int16_t index, const char *macro_name);
    // One update of the definition file under its exclusive lock: `plan` gets the state read
    // afresh and gives the writes, or nothing to write.
    bool update(
        const std::function<std::optional<maclib::UpdatePlan>(const maclib::LibraryState &)> &plan);

    ParserContext &context_;
    std::string definition_name_;
    int definition_handle_ = -1;
    std::array<LibrarySlot, library_slot_count> slots_;
};

} // namespace vornmac
