// The definition file, and what the definition file and the slots share. Every update of
// the definition file reads the lists again under the exclusive lock (another run may have
// changed them since the file was opened), checks them whole, and writes its plan; a write
// that fails stops the update and raises error 2006, leaving a sound library.
#include "macro/macro_library.hpp"

#include "error/error_numbers.hpp"
#include "func/dates.hpp"
#include "host/parser_context.hpp"
#include "input/input_stack.hpp"
#include "macro/library_state.hpp"
#include "macro/update_plan.hpp"
#include "platform/file_lock.hpp"
#include "platform/file_truncate.hpp"
#include "platform/new_file.hpp"
#include "platform/raw_file.hpp"
#include "vars/name_compare.hpp"

namespace vornmac {

namespace {
bool same_name(const std::string &a, const std::string &b) {
    return name_compare(a.c_str(), b.c_str()) == 0;
}

// Opens the definition file, creating it (with the empty header) when there is none. -1
// when it cannot be had as a regular file.
int open_or_create(const std::string &name) {
    const char *path = name.c_str();
    platform::OpenedFile opened =
        platform::raw_open_file(path, platform::Access::read_write, false);
    if (opened.handle != -1 || opened.wrong_kind) return opened.handle;
    const auto fresh = maclib::encode_file_header(maclib::FileHeader{});
    if (platform::create_whole_file(path, fresh.data(), maclib::file_header_size) ==
        platform::NewFile::failed)
        return -1;
    return platform::raw_open_file(path, platform::Access::read_write, false).handle;
}

// The list position of the newest record of that name.
std::optional<size_t> newest_of_name(const std::vector<maclib::MacroRecord> &records,
                                     const char *name) {
    for (size_t i = 0; i < records.size(); ++i)
        if (name_compare(records[i].name.c_str(), name) == 0) return i;
    return std::nullopt;
}

bool write_plan(int handle, const maclib::UpdatePlan &plan) {
    const maclib::LibraryFile file(handle);
    for (const maclib::PlannedWrite &w : plan.writes)
        if (!file.write_at(w.offset, w.bytes.data(), static_cast<int32_t>(w.bytes.size())))
            return false;
    // The room given back is past the end offset: when it cannot be, the library is as sound.
    if (plan.truncate_to >= 0) platform::raw_truncate(handle, plan.truncate_to);
    return true;
}
} // namespace

std::string with_library_extension(const std::string &name) {
    for (size_t i = name.size(); i-- > 1;) {
        if (name[i] == '.') return name;
        if (name[i] == '\\' || name[i] == '/') break;
    }
    return name + ".mac";
}

MacroLibrary::~MacroLibrary() {
    close_definition_file();
    close_slots();
}

bool MacroLibrary::fail_damaged(const std::string &file_name, const maclib::Damage &damage) {
    context_.errors.raise(error::library_damaged, {file_name.c_str(), damage.what.c_str()});
    return false;
}

void MacroLibrary::close_definition_file() {
    if (definition_handle_ == -1) return;
    if (current_handle == definition_handle_) current_handle = -1;
    platform::raw_close(definition_handle_);
    definition_handle_ = -1;
}

bool MacroLibrary::supplies_running_text(const std::string &file_name) const {
    const InputStack &input = context_.input;
    if (input.top >= 0 && input.live.kind == SourceKind::macro &&
        same_name(input.source_name(), file_name))
        return true;
    for (int16_t i = 0; i < input.top; ++i) {
        const InputSource *source = input.slot(i);
        if (source != nullptr && source->kind == SourceKind::macro &&
            same_name(source->source_name, file_name))
            return true;
    }
    return false;
}

bool MacroLibrary::open_definition_file() {
    const std::string value = context_.vars.optstring("_macromacro");
    if (value.empty()) {
        context_.errors.raise(error::no_definition_file);
        return false;
    }
    const std::string name = with_library_extension(value);
    if (definition_handle_ != -1 && !same_name(definition_name_, name)) close_definition_file();
    definition_name_ = name;
    if (supplies_running_text(name)) {
        context_.errors.raise(error::library_supplies_text, {name.c_str()});
        return false;
    }
    for (int16_t i = 0; i < library_slot_count; ++i) {
        LibrarySlot &s = slots_[static_cast<size_t>(i)];
        if (!s.is_open() || !same_name(s.file_name, name)) continue;
        forget_library_slot(i);
        close_slot_file(s);
    }
    if (definition_handle_ == -1) definition_handle_ = open_or_create(name);
    current_handle = definition_handle_;
    if (definition_handle_ == -1) {
        context_.errors.raise(error::library_not_created, {name.c_str()});
        return false;
    }
    const platform::FileLock lock(definition_handle_, platform::LockKind::shared, lock_patience);
    if (!lock.usable()) {
        context_.errors.raise(error::library_not_created, {name.c_str()});
        return false;
    }
    const maclib::LibraryFile file(definition_handle_);
    if (!file.starts_with_magic()) {
        context_.errors.raise(error::not_a_library, {name.c_str()});
        return false;
    }
    maclib::FileHeader header;
    if (maclib::Damage d = file.read_file_header(header)) return fail_damaged(name, d);
    return true;
}

bool MacroLibrary::update(
    const std::function<std::optional<maclib::UpdatePlan>(const maclib::LibraryState &)> &plan) {
    if (definition_handle_ == -1) return false;
    current_handle = definition_handle_;
    const platform::FileLock lock(definition_handle_, platform::LockKind::exclusive, lock_patience);
    if (!lock.usable()) {
        context_.errors.raise(error::library_not_created, {definition_name_.c_str()});
        return false;
    }
    const platform::FileStamp before = platform::stamp_of(definition_handle_);
    maclib::LibraryState state;
    if (maclib::Damage d =
            maclib::read_library_state(maclib::LibraryFile(definition_handle_), state))
        return fail_damaged(definition_name_, d);
    const std::optional<maclib::UpdatePlan> writes = plan(state);
    if (!writes) return true;
    const bool written = write_plan(definition_handle_, *writes);
    // Also after a failed write: whatever was written, readers must see the file changed.
    platform::mark_changed(definition_handle_, before);
    if (written) return true;
    context_.errors.raise(error::library_not_created, {definition_name_.c_str()});
    return false;
}

bool MacroLibrary::for_each_definition(
    const std::function<bool(const maclib::MacroRecord &)> &visit) {
    if (definition_handle_ == -1) return false;
    current_handle = definition_handle_;
    const platform::FileLock lock(definition_handle_, platform::LockKind::shared, lock_patience);
    if (!lock.usable()) {
        context_.errors.raise(error::library_not_created, {definition_name_.c_str()});
        return false;
    }
    const maclib::LibraryFile file(definition_handle_);
    maclib::FileHeader header;
    maclib::Damage damage = file.read_file_header(header);
    if (!damage) damage = maclib::walk_macro_list(file, header, visit);
    return damage ? fail_damaged(definition_name_, damage) : true;
}

bool MacroLibrary::delete_macro(const char *name) {
    return update([&](const maclib::LibraryState &state) -> std::optional<maclib::UpdatePlan> {
        const std::optional<size_t> found = newest_of_name(state.records, name);
        if (!found) return std::nullopt;
        return maclib::plan_delete(state, *found);
    });
}

bool MacroLibrary::store_macro(maclib::MacroDefinition definition) {
    if (definition_handle_ == -1) return false;
    const int32_t size = maclib::record_size_for(definition);
    if (size > maclib::record_size_limit) {
        context_.errors.raise(error::record_too_large,
                              {definition.name.c_str(), static_cast<long>(size)});
        return false;
    }
    definition.time_stamp = clock ? clock() : current_minutes();
    return update([&](const maclib::LibraryState &state) {
        return std::optional<maclib::UpdatePlan>(maclib::plan_store(
            state, definition, size, newest_of_name(state.records, definition.name.c_str())));
    });
}

} // namespace vornmac
