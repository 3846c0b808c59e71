// The library slots: their files opened read-only, their names read into the directory,
// their records read at the first call and kept, all of it read under the file's shared lock
// and trusted while the file's stamp stays as it was when the names were read.
#include "macro/macro_library.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "platform/file_lock.hpp"
#include "platform/raw_file.hpp"
#include "vars/name_compare.hpp"

namespace vornmac {

bool MacroLibrary::open_library_slot(int16_t index, const char *macro_name) {
    LibrarySlot &s = slots_[static_cast<size_t>(index)];
    if (s.is_open()) {
        forget_library_slot(index);
        close_slot_file(s);
    }
    if (definition_handle_ != -1 &&
        name_compare(definition_name_.c_str(), s.file_name.c_str()) == 0) {
        close_definition_file();
        definition_name_.clear();
    }
    // Never waits on a FIFO or a device: such a file cannot be opened as a library.
    s.handle = platform::raw_open_file(s.file_name.c_str(), platform::Access::read, false).handle;
    current_handle = s.handle;
    if (s.handle == -1) {
        context_.errors.raise(error::library_slot_not_opened, {s.file_name.c_str(), macro_name});
        return false;
    }
    return read_slot_names(index, macro_name);
}

bool MacroLibrary::read_slot_names(int16_t index, const char *macro_name) {
    LibrarySlot &s = slots_[static_cast<size_t>(index)];
    ++s.generation;
    s.called.clear();
    const platform::FileLock lock(s.handle, platform::LockKind::shared, lock_patience);
    if (!lock.usable()) {
        close_slot_file(s);
        context_.errors.raise(error::library_slot_not_opened, {s.file_name.c_str(), macro_name});
        return false;
    }
    s.stamp = platform::stamp_of(s.handle);
    s.checked_at = platform::coarse_clock_ns();
    const maclib::LibraryFile file(s.handle);
    // The names are gathered first, so a damaged file adds nothing to the directory. A file
    // that is no library, or a damaged one, stays open with no names: the search goes on to
    // the later slots until the file changes.
    std::vector<std::pair<std::string, int32_t>> names;
    maclib::FileHeader header;
    if (!file.starts_with_magic()) {
        context_.errors.raise(error::not_a_library, {s.file_name.c_str()});
        return false;
    }
    maclib::Damage damage = file.read_file_header(header);
    if (!damage)
        damage = maclib::walk_macro_list(file, header, [&](const maclib::MacroRecord &record) {
            names.emplace_back(record.name, record.offset);
            return true;
        });
    if (damage) return fail_damaged(s.file_name, damage);
    s.end_offset = header.end_offset;
    for (const auto &[name, offset] : names) {
        if (directory.insert(name.c_str(), offset, index) != nullptr) continue;
        context_.errors.raise(error::macro_directory_full, {name.c_str(), s.file_name.c_str()});
        return false;
    }
    return true;
}

bool MacroLibrary::refresh_slot(int16_t index, const char *macro_name) {
    LibrarySlot &s = slots_[static_cast<size_t>(index)];
    // Only an open slot is looked at by the clock first (it has a file name): a call mostly
    // finds the clock where it was at the last look.
    if (!s.is_open()) return !s.file_name.empty() && open_library_slot(index, macro_name);
    const int64_t now = platform::coarse_clock_ns();
    if (now == s.checked_at) [[likely]]
        return true;
    s.checked_at = now;
    const platform::FileStamp current = platform::stamp_of_path(s.file_name.c_str());
    if (current == s.stamp) return true;
    forget_library_slot(index);
    // Another file under the name (or none) is opened afresh; the same file is read again.
    if (current.device != s.stamp.device || current.inode != s.stamp.inode)
        return open_library_slot(index, macro_name);
    return read_slot_names(index, macro_name);
}

void MacroLibrary::expect_changes() {
    for (LibrarySlot &s : slots_)
        s.checked_at = 0;
}

void MacroLibrary::forget_library_slot(int16_t index) {
    directory.forget_slot(index);
}

void MacroLibrary::close_slot_file(LibrarySlot &s) {
    if (!s.is_open()) return;
    if (current_handle == s.handle) current_handle = -1;
    platform::raw_close(s.handle);
    s.handle = -1;
    ++s.generation;
    s.called.clear();
}

void MacroLibrary::clear_slot(int16_t index) {
    LibrarySlot &s = slots_[static_cast<size_t>(index)];
    if (s.is_open()) {
        forget_library_slot(index);
        close_slot_file(s);
    }
    s.file_name.clear();
}

void MacroLibrary::set_slot_file(int16_t index, std::string file_name) {
    clear_slot(index);
    slots_[static_cast<size_t>(index)].file_name = std::move(file_name);
}

std::shared_ptr<const CalledMacro> MacroLibrary::called_macro(int16_t index, int32_t offset,
                                                              bool &stale) {
    LibrarySlot &s = slots_[static_cast<size_t>(index)];
    stale = false;
    current_handle = s.handle;
    if (const auto kept = s.called.find(offset); kept != s.called.end()) return kept->second;
    auto called = std::make_shared<CalledMacro>();
    {
        const platform::FileLock lock(s.handle, platform::LockKind::shared, lock_patience);
        if (!lock.usable()) {
            context_.errors.raise(error::library_slot_not_opened, {s.file_name.c_str(), ""});
            return nullptr;
        }
        if (platform::stamp_of(s.handle) != s.stamp) {
            stale = true;
        } else {
            const maclib::LibraryFile file(s.handle);
            maclib::MacroRecord &record = called->record;
            if (maclib::Damage d = file.read_record(offset, s.end_offset, record)) {
                fail_damaged(s.file_name, d);
                return nullptr;
            }
            called->body.resize(record.header.body_length);
            if (!file.read_at(static_cast<int32_t>(record.header.body_offset), called->body.data(),
                              record.header.body_length)) {
                fail_damaged(s.file_name, {static_cast<int32_t>(record.header.body_offset),
                                           "record at " + std::to_string(offset) +
                                               ": the file ends inside the body"});
                return nullptr;
            }
        }
    }
    if (stale) {
        forget_library_slot(index);
        read_slot_names(index, "");
        return nullptr;
    }
    if (context_.input.fast_paths.macro_records) s.called.emplace(offset, called);
    return called;
}

int MacroLibrary::find_library_handle(const std::string &file_name) {
    for (int16_t i = 0; i < library_slot_count; ++i) {
        const LibrarySlot &s = slots_[static_cast<size_t>(i)];
        if (s.file_name.empty() || name_compare(s.file_name.c_str(), file_name.c_str()) != 0)
            continue;
        if (!s.is_open() && !open_library_slot(i, "")) return -1;
        return s.handle;
    }
    context_.errors.raise(error::no_slot_holds_library, {file_name.c_str()});
    return -1;
}

void MacroLibrary::configure_slots() {
    for (int16_t i = 0; i < library_slot_count; ++i) {
        const std::string variable = "_macro" + std::to_string(i + 1);
        set_slot_file(i, context_.vars.optstring(variable.c_str()));
    }
    close_definition_file();
    definition_name_.clear();
}

void MacroLibrary::close_slots() {
    for (LibrarySlot &s : slots_)
        close_slot_file(s);
}

} // namespace vornmac
