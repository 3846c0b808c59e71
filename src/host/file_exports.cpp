// The exported extensions that work on files rather than on a parser context: replacing a
// file whole, creating and reading macro libraries, and the name comparison hosts need to
// find a macro in what they read. None of them raises an error or jumps; each tells its
// outcome by its result, as the header says. A host such as the vornmac tool uses them so
// that it handles files exactly as the library does.
#include "vornmac/vornmac.h"

#include "func/dates.hpp"
#include "input/quoting_bytes.hpp"
#include "input/scanner.hpp"
#include "input/token_copy.hpp"
#include "macro/library_check.hpp"
#include "macro/library_format.hpp"
#include "macro/macro_library.hpp"
#include "platform/file_lock.hpp"
#include "platform/memory.hpp"
#include "platform/new_file.hpp"
#include "platform/raw_file.hpp"
#include "platform/replace_file.hpp"
#include "stmt/program_file.hpp"
#include "vars/name_compare.hpp"

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

struct vornmac_file_replacement {
    vornmac::platform::FileReplacement file;
};

namespace {

using namespace vornmac;

// Copies text into a host's buffer of `size` bytes, cut to fit, always terminated.
void copy_cut(const std::string &text, char *buffer, size_t size) {
    if (buffer == nullptr || size == 0) return;
    const size_t length = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::string parameter_text(const maclib::MacroRecord &r) {
    std::string out;
    for (const maclib::MacroParameter &p : r.parameters) {
        if (!out.empty()) out += ',';
        out += p.name;
        if (p.named) out += "=" + p.default_text;
    }
    return out;
}

// The record as program text that defines it again, or nothing when its body is unreadable.
std::optional<std::string> definition_text(const maclib::LibraryFile &file,
                                           const maclib::MacroRecord &r) {
    std::string body;
    if (!maclib::read_body_text(file, r, body)) return std::nullopt;
    std::string head = "%macro " + r.name;
    if (!r.label.empty()) head += "(" + r.label + ")";
    if (!r.parameters.empty()) head += "[" + parameter_text(r) + "]";
    return without_markers(head + body) + "%mend;\n";
}

void visit_macro(const maclib::LibraryFile &file, const maclib::MacroRecord &r, void *user,
                 vornmac_macro_visitor on_macro) {
    vornmac_library_macro macro{};
    macro.name = r.name.c_str();
    macro.label = r.label.c_str();
    macro.offset = r.offset;
    macro.record_size = r.header.record_size;
    if (is_valid_minutes(r.header.time_stamp)) {
        const MinutesTime t = minutes_time(r.header.time_stamp);
        macro.defined_valid = 1;
        macro.year = t.year;
        macro.month = t.month;
        macro.day = t.day;
        macro.hour = t.hour;
        macro.minute = t.minute;
    }
    std::vector<const char *> names;
    std::vector<const char *> defaults;
    for (const maclib::MacroParameter &p : r.parameters) {
        names.push_back(p.name.c_str());
        defaults.push_back(p.named ? p.default_text.c_str() : nullptr);
    }
    macro.parameter_count = static_cast<int>(names.size());
    macro.parameter_names = names.data();
    macro.parameter_defaults = defaults.data();
    const std::optional<std::string> definition = definition_text(file, r);
    if (definition) {
        macro.definition = definition->c_str();
        macro.definition_length = definition->size();
    }
    on_macro(user, &macro);
}

void summarise(const maclib::LibraryReport &report, vornmac_library_summary &summary) {
    summary.macros = static_cast<int32_t>(report.records.size());
    summary.free_blocks = static_cast<int32_t>(report.free_blocks.size());
    summary.free_bytes = 0;
    for (const maclib::FreeBlock &b : report.free_blocks)
        summary.free_bytes += b.size;
    summary.end_offset = report.header.end_offset;
}

} // namespace

extern "C" size_t vornmac_copy_token(const char *token, char *to) {
    return copy_token_text(token, to, static_cast<size_t>(token_size));
}

extern "C" vornmac_file_replacement *vornmac_begin_file_replacement(const char *target,
                                                                    const char *temporary_suffix) {
    if (target == nullptr || *target == '\0' || temporary_suffix == nullptr ||
        *temporary_suffix == '\0') {
        errno = EINVAL;
        return nullptr;
    }
    try {
        const std::string suffix = temporary_suffix;
        auto *replacement = new vornmac_file_replacement{
            {target, [&suffix](const std::string &name) { return name + suffix; }}};
        if (replacement->file.created()) return replacement;
        const int reason = errno;
        delete replacement;
        errno = reason;
    } catch (const std::bad_alloc &) {
        platform::out_of_memory();
    }
    return nullptr;
}

extern "C" int vornmac_write_file_replacement(vornmac_file_replacement *replacement,
                                              const void *bytes, size_t count) {
    if (replacement == nullptr) {
        errno = EINVAL;
        return -1;
    }
    const auto *from = static_cast<const char *>(bytes);
    // A temporary is a new file that is only ever appended to (a host's output, the bulk of
    // a run's writes): no program file being read changes under it.
    const auto kind =
        replacement->file.in_place() ? platform::WriteKind::any : platform::WriteKind::append_only;
    constexpr size_t piece_size = size_t{1} << 30;
    for (size_t done = 0; done < count;) {
        const auto piece = static_cast<int32_t>(std::min(count - done, piece_size));
        errno = 0;
        if (platform::raw_write(replacement->file.handle(), from + done, piece, kind) != piece) {
            if (errno == 0) errno = EIO;
            return -1;
        }
        done += static_cast<size_t>(piece);
    }
    return 0;
}

extern "C" int vornmac_commit_file_replacement(vornmac_file_replacement *replacement) {
    if (replacement == nullptr) {
        errno = EINVAL;
        return -1;
    }
    errno = 0;
    if (replacement->file.commit() == platform::FileReplacement::Commit::replaced) return 0;
    if (errno == 0) errno = EIO;
    return -1;
}

extern "C" void vornmac_end_file_replacement(vornmac_file_replacement *replacement) {
    const int reason = errno;
    delete replacement;
    errno = reason;
}

extern "C" int vornmac_create_macro_library(const char *path) {
    if (path == nullptr || *path == '\0') {
        errno = EINVAL;
        return -1;
    }
    const auto header = maclib::encode_file_header(maclib::FileHeader{});
    switch (platform::create_whole_file(path, header.data(), maclib::file_header_size)) {
    case platform::NewFile::created:
        return 0;
    case platform::NewFile::exists:
        return 1;
    case platform::NewFile::failed:
        break;
    }
    return -1;
}

extern "C" int vornmac_read_macro_library(const char *path, void *user,
                                          vornmac_macro_visitor on_macro,
                                          vornmac_fault_visitor on_fault,
                                          vornmac_library_summary *summary, char *problem,
                                          size_t problem_size) {
    try {
        // Never waits on a FIFO: only a regular file can be a library.
        const platform::OpenedFile opened =
            platform::raw_open_file(path, platform::Access::read, false);
        const platform::UniqueHandle open(opened.handle);
        if (open.get() < 0) {
            copy_cut(opened.wrong_kind ? std::string("not a regular file")
                                       : std::string("cannot open it: ") + std::strerror(errno),
                     problem, problem_size);
            return -1;
        }
        // Read under the shared lock, so that an update another run is making is never seen
        // half done.
        const platform::FileLock lock(open.get(), platform::LockKind::shared,
                                      MacroLibrary::lock_patience);
        if (!lock.usable()) {
            copy_cut("it stayed locked by another run", problem, problem_size);
            return -1;
        }
        const maclib::LibraryFile file(open.get());
        const maclib::LibraryReport report = maclib::inspect_library(file);
        if (on_macro != nullptr)
            for (const maclib::MacroRecord &r : report.records)
                visit_macro(file, r, user, on_macro);
        if (on_fault != nullptr)
            for (const maclib::Damage &d : report.faults)
                on_fault(user, d.offset, d.what.c_str());
        if (summary != nullptr) summarise(report, *summary);
        return report.faults.empty() ? 0 : 1;
    } catch (const std::bad_alloc &) {
        platform::out_of_memory();
    }
    return -1;
}

extern "C" void vornmac_program_file_candidates(const char *name, const char *extension,
                                                const char *folder, void *user,
                                                vornmac_candidate_visitor visit) {
    if (name == nullptr || visit == nullptr) return;
    try {
        for (const std::string &candidate : program_file_candidates(
                 name, extension != nullptr ? extension : "", folder != nullptr ? folder : ""))
            visit(user, candidate.c_str(), can_open_for_reading(candidate) ? 1 : 0);
    } catch (const std::bad_alloc &) {
        platform::out_of_memory();
    }
}

extern "C" int vornmac_same_name(const char *a, const char *b) {
    if (a == nullptr || b == nullptr) return 0;
    return name_compare(a, b) == 0 ? 1 : 0;
}
