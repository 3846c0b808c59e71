// The definition file and the library slots. Every change to the definition file writes
// the record first and the 16-byte header last, so the header on file always names
// complete lists; a failed write stops before the header and reports error 2006.
#include "macro/macro_library.hpp"

#include "func/dates.hpp"
#include "host/parser_context.hpp"
#include "input/input_stack.hpp"
#include "macro/free_list.hpp"
#include "platform/raw_file.hpp"
#include "vars/name_compare.hpp"

namespace vornmac {

namespace {
constexpr int16_t no_definition_file = 2005;
constexpr int16_t cannot_create_library = 2006;
constexpr int16_t not_a_library = 2007;
constexpr int16_t cannot_open_slot = 2008;
constexpr int16_t no_slot_holds_library = 2078;
constexpr int16_t library_supplies_text = 2079;
constexpr int16_t library_damaged = 4650;
constexpr int16_t record_too_large = 4651;
constexpr int16_t directory_full = 4652;

bool same_name(const std::string &a, const std::string &b) {
    return name_compare(a.c_str(), b.c_str()) == 0;
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
    context_.errors.raise(library_damaged, {file_name.c_str(), damage.what.c_str()});
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
        context_.errors.raise(no_definition_file);
        return false;
    }
    const std::string name = with_library_extension(value);
    if (definition_handle_ != -1 && !same_name(definition_name_, name)) close_definition_file();
    definition_name_ = name;
    if (supplies_running_text(name)) {
        context_.errors.raise(library_supplies_text, {name.c_str()});
        return false;
    }
    for (int16_t i = 0; i < library_slot_count; ++i) {
        LibrarySlot &s = slots_[static_cast<size_t>(i)];
        if (!s.is_open() || !same_name(s.file_name, name)) continue;
        forget_library_slot(i);
        close_slot_file(s);
    }
    if (definition_handle_ == -1) {
        definition_handle_ =
            platform::raw_open_existing(name.c_str(), platform::Access::read_write);
        if (definition_handle_ == -1) {
            const int created = platform::raw_create(name.c_str());
            const auto fresh = maclib::encode_file_header(maclib::FileHeader{});
            const bool written = created != -1 && maclib::LibraryFile(created).write_at(
                                                      0, fresh.data(), maclib::file_header_size);
            platform::raw_close(created);
            if (written)
                definition_handle_ =
                    platform::raw_open_existing(name.c_str(), platform::Access::read_write);
            if (definition_handle_ == -1) {
                context_.errors.raise(cannot_create_library, {name.c_str()});
                return false;
            }
        }
    }
    current_handle = definition_handle_;
    const maclib::LibraryFile file(definition_handle_);
    if (!file.starts_with_magic()) {
        context_.errors.raise(not_a_library, {name.c_str()});
        return false;
    }
    if (maclib::Damage d = file.read_file_header(header_)) return fail_damaged(name, d);
    return true;
}

bool MacroLibrary::write_definition_header() {
    const auto bytes = maclib::encode_file_header(header_);
    return maclib::LibraryFile(definition_handle_)
        .write_at(0, bytes.data(), maclib::file_header_size);
}

bool MacroLibrary::for_each_definition(
    const std::function<bool(const maclib::MacroRecord &)> &visit) {
    if (definition_handle_ == -1) return false;
    const maclib::LibraryFile file(definition_handle_);
    current_handle = definition_handle_;
    if (maclib::Damage d = maclib::walk_macro_list(file, header_, visit))
        return fail_damaged(definition_name_, d);
    return true;
}

bool MacroLibrary::delete_macro(const char *name) {
    int32_t previous = 0;
    int32_t found = 0;
    maclib::MacroHeader found_header;
    // The whole list is walked, so a damaged list is refused before anything changes.
    const bool sound = for_each_definition([&](const maclib::MacroRecord &record) {
        if (found == 0 && name_compare(record.name.c_str(), name) == 0) {
            found = record.offset;
            found_header = record.header;
        }
        if (found == 0) previous = record.offset;
        return true;
    });
    if (!sound || found == 0) return sound;

    const maclib::LibraryFile file(definition_handle_);
    maclib::FileHeader changed = header_;
    bool written = maclib::release_space(file, changed, found, found_header.record_size);
    if (written && previous == 0) {
        changed.list_head = found_header.next;
    } else if (written) {
        unsigned char link[4];
        maclib::put_u32(link, found_header.next);
        written = file.write_at(previous, link, 4);
    }
    header_ = changed;
    if (written && write_definition_header()) return true;
    context_.errors.raise(cannot_create_library, {definition_name_.c_str()});
    return false;
}

bool MacroLibrary::store_macro(maclib::MacroDefinition definition) {
    if (definition_handle_ == -1) return false;
    const int32_t size = maclib::record_size_for(definition);
    if (size > maclib::record_size_limit) {
        context_.errors.raise(record_too_large, {definition.name.c_str(), static_cast<long>(size)});
        return false;
    }
    definition.time_stamp = clock ? clock() : current_minutes();
    const maclib::LibraryFile file(definition_handle_);
    current_handle = definition_handle_;
    maclib::SpacePlan plan;
    if (maclib::Damage d = maclib::plan_space(file, header_, size, plan))
        return fail_damaged(definition_name_, d);
    const std::vector<unsigned char> bytes =
        maclib::encode_record(definition, plan.offset, header_.list_head);
    maclib::FileHeader changed = header_;
    const bool written =
        file.write_at(plan.offset, bytes.data(), static_cast<int32_t>(bytes.size())) &&
        maclib::commit_space(file, changed, plan, size);
    if (written) {
        changed.list_head = static_cast<uint32_t>(plan.offset);
        header_ = changed;
        if (write_definition_header()) return true;
    }
    context_.errors.raise(cannot_create_library, {definition_name_.c_str()});
    return false;
}

bool MacroLibrary::open_library_slot(int16_t index, const char *macro_name) {
    LibrarySlot &s = slots_[static_cast<size_t>(index)];
    if (s.is_open()) {
        forget_library_slot(index);
        close_slot_file(s);
    }
    if (definition_handle_ != -1 && same_name(definition_name_, s.file_name)) {
        close_definition_file();
        definition_name_.clear();
    }
    s.handle = platform::raw_open_existing(s.file_name.c_str(), platform::Access::read);
    current_handle = s.handle;
    if (s.handle == -1) {
        context_.errors.raise(cannot_open_slot, {s.file_name.c_str(), macro_name});
        return false;
    }
    const maclib::LibraryFile file(s.handle);
    // The names are gathered first, so a damaged file adds nothing to the directory.
    std::vector<std::pair<std::string, int32_t>> names;
    maclib::FileHeader header;
    const bool is_library = file.starts_with_magic();
    maclib::Damage damage = is_library ? file.read_file_header(header) : maclib::Damage{};
    if (is_library && !damage)
        damage = maclib::walk_macro_list(file, header, [&](const maclib::MacroRecord &record) {
            names.emplace_back(record.name, record.offset);
            return true;
        });
    if (!is_library || damage) {
        close_slot_file(s);
        if (!is_library) {
            context_.errors.raise(not_a_library, {s.file_name.c_str()});
            return false;
        }
        return fail_damaged(s.file_name, damage);
    }
    s.end_offset = header.end_offset;
    for (const auto &[name, offset] : names) {
        if (directory.insert(name.c_str(), offset, index) != nullptr) continue;
        context_.errors.raise(directory_full, {name.c_str(), s.file_name.c_str()});
        return false;
    }
    return true;
}

void MacroLibrary::forget_library_slot(int16_t index) {
    directory.forget_slot(index);
}

void MacroLibrary::close_slot_file(LibrarySlot &s) {
    if (!s.is_open()) return;
    if (current_handle == s.handle) current_handle = -1;
    platform::raw_close(s.handle);
    s.handle = -1;
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

bool MacroLibrary::read_slot_record(int16_t index, int32_t offset, maclib::MacroRecord &record) {
    const LibrarySlot &s = slots_[static_cast<size_t>(index)];
    current_handle = s.handle;
    if (maclib::Damage d = maclib::LibraryFile(s.handle).read_record(offset, s.end_offset, record))
        return fail_damaged(s.file_name, d);
    return true;
}

std::shared_ptr<const CalledMacro> MacroLibrary::called_macro(int16_t index, int32_t offset) {
    LibrarySlot &s = slots_[static_cast<size_t>(index)];
    if (const auto kept = s.called.find(offset); kept != s.called.end()) {
        current_handle = s.handle;
        return kept->second;
    }
    auto called = std::make_shared<CalledMacro>();
    if (!read_slot_record(index, offset, called->record)) return nullptr;
    if (!context_.input.fast_paths.macro_records) return called;
    const maclib::MacroHeader &header = called->record.header;
    ReadBuffer block;
    const int32_t got = read_source_block(s.handle, static_cast<int32_t>(header.body_offset),
                                          static_cast<int32_t>(header.body_end), block);
    called->first_block.assign(block.data(), static_cast<size_t>(got));
    s.called.emplace(offset, called);
    return called;
}

const std::string *MacroLibrary::kept_first_block(int16_t index, const CalledMacro &called) const {
    const LibrarySlot &s = slots_[static_cast<size_t>(index)];
    const auto kept = s.called.find(called.record.offset);
    return kept != s.called.end() && kept->second.get() == &called ? &called.first_block : nullptr;
}

int MacroLibrary::find_library_handle(const std::string &file_name) {
    for (int16_t i = 0; i < library_slot_count; ++i) {
        const LibrarySlot &s = slots_[static_cast<size_t>(i)];
        if (s.file_name.empty() || !same_name(s.file_name, file_name)) continue;
        if (!s.is_open() && !open_library_slot(i, "")) return -1;
        return s.handle;
    }
    context_.errors.raise(no_slot_holds_library, {file_name.c_str()});
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
