#include "lib/lib_command.hpp"

#include "common/command_line.hpp"

#include "common/text_escape.hpp"

#include "func/dates.hpp"
#include "input/quoting_bytes.hpp"
#include "macro/library_check.hpp"
#include "macro/macro_library.hpp"
#include "platform/file_lock.hpp"
#include "platform/raw_file.hpp"
#include "vars/name_compare.hpp"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <string_view>

namespace vornmac::tool {

namespace {

constexpr const char lib_notes[] =
    R"(list prints one line per macro, newest first: name, time of definition, record size,
parameters and label. print writes the definitions (all, or the named ones in the order
given) as %macro ... %mend; text that a program can run again. check walks the macro list
and the free list and reports every fault it finds: which record or block, which field,
and what was expected.

None of the commands changes the file; each reads it under a shared lock, waiting (up to 10
seconds) for a run that is changing it. Exit status: 0 for a sound file, 1 for a file that
cannot be read or is damaged (the faults go to standard error, or to standard output for
check) or a NAME that is not in it, 2 for a bad command line.
)";

struct LibRequest {
    enum class Action { list, print, check };
    Action action = Action::list;
    std::string path;
    std::vector<std::string> names; // print: these macros only, in this order
};

using Action = LibRequest::Action;

struct LibForm {
    const char *name;
    Action action;
    const char *description;
};

constexpr LibForm lib_forms[] = {
    {"list", Action::list, "list the macros, newest first, with their parameters and labels"},
    {"print", Action::print, "print the definitions as program text that a program can run"},
    {"check", Action::check, "check the file's lists and records and report every fault"},
};

const char *action_name(Action action) {
    for (const LibForm &form : lib_forms)
        if (form.action == action) return form.name;
    return "";
}

std::string defined_at(double minutes) {
    if (!is_valid_minutes(minutes)) return "(no valid time)";
    const MinutesTime t = minutes_time(minutes);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
    return text;
}

std::string parameter_list(const maclib::MacroRecord &r) {
    std::string out;
    for (const maclib::MacroParameter &p : r.parameters) {
        if (!out.empty()) out += ',';
        out += p.name;
        if (p.named) out += "=" + p.default_text;
    }
    return out;
}

void list(const maclib::LibraryReport &report) {
    for (const maclib::MacroRecord &r : report.records) {
        std::printf("%s  defined %s  size %u", escaped_quoted(r.name).c_str(),
                    defined_at(r.header.time_stamp).c_str(), r.header.record_size);
        if (!r.parameters.empty())
            std::printf("  parameters %s", escaped_quoted(parameter_list(r)).c_str());
        if (!r.label.empty()) std::printf("  label %s", escaped_quoted(r.label).c_str());
        std::printf("\n");
    }
}

bool print_definition(const maclib::LibraryFile &file, const maclib::MacroRecord &r) {
    std::string body;
    if (!maclib::read_body_text(file, r, body)) return false;
    std::string head = "%macro " + r.name;
    if (!r.label.empty()) head += "(" + r.label + ")";
    if (!r.parameters.empty()) head += "[" + parameter_list(r) + "]";
    const std::string text = without_markers(head + body) + "%mend;\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return true;
}

// Prints the named definitions (all when none is named); false when one is missing.
bool print(const char *path, const maclib::LibraryFile &file, const maclib::LibraryReport &report,
           const std::vector<std::string> &names) {
    bool all_found = true;
    if (names.empty()) {
        for (const maclib::MacroRecord &r : report.records)
            all_found = print_definition(file, r) && all_found;
        return all_found;
    }
    for (const std::string &name : names) {
        bool found = false;
        for (const maclib::MacroRecord &r : report.records) {
            if (name_compare(r.name.c_str(), name.c_str()) != 0) continue;
            found = print_definition(file, r);
            break;
        }
        if (!found)
            std::fprintf(stderr, "vornmac lib print: %s holds no macro %s\n", path, name.c_str());
        all_found = all_found && found;
    }
    return all_found;
}

void summarise(const char *path, const maclib::LibraryReport &report) {
    long free_bytes = 0;
    for (const maclib::FreeBlock &b : report.free_blocks)
        free_bytes += b.size;
    std::printf("%s: sound: %zu macros, %zu free blocks of %ld bytes, end offset %u\n", path,
                report.records.size(), report.free_blocks.size(), free_bytes,
                report.header.end_offset);
}

void report_faults(std::FILE *out, const char *path, const maclib::LibraryReport &report) {
    for (const maclib::Damage &d : report.faults)
        std::fprintf(out, "%s: offset %d: %s\n", path, d.offset, d.what.c_str());
}

class LibCommand : public Command {
  public:
    using Command::Command;
    int run() override;

    LibRequest request;
};

} // namespace

std::unique_ptr<Command> add_lib_command(CLI::App &root) {
    CLI::App &lib = *root.add_subcommand("lib", "list, print or check a macro library file");
    auto command = std::make_unique<LibCommand>(lib);
    LibRequest &request = command->request;
    describe_command(lib, {"list FILE", "print FILE [NAME...]", "check FILE"}, lib_notes);
    lib.require_subcommand(1);
    for (const LibForm &form : lib_forms) {
        CLI::App &action = *lib.add_subcommand(form.name, form.description);
        describe_command(action, {form.action == Action::print ? "FILE [NAME...]" : "FILE"},
                         lib_notes);
        action.add_option("FILE", request.path, "the macro library file (.mac)")
            ->type_name("")
            ->required();
        if (form.action == Action::print)
            action.add_option("NAME", request.names, "print only these macros")->type_name("");
        action.callback([&request, &form] { request.action = form.action; });
    }
    return command;
}

int LibCommand::run() {
    const char *path = request.path.c_str();
    const char *action = action_name(request.action);
    // Never waits on a FIFO: only a regular file can be a library.
    const platform::OpenedFile opened =
        platform::raw_open_file(path, platform::Access::read, false);
    const platform::UniqueHandle open(opened.handle);
    if (open.get() < 0) {
        std::fprintf(stderr, "vornmac lib %s: %s %s\n", action,
                     opened.wrong_kind ? "not a regular file:" : "cannot open", path);
        return 1;
    }
    // Read under the shared lock, so that an update another run is making is never seen
    // half done.
    const platform::FileLock lock(open.get(), platform::LockKind::shared,
                                  MacroLibrary::lock_patience);
    if (!lock.usable()) {
        std::fprintf(stderr, "vornmac lib %s: %s stayed locked by another run\n", action, path);
        return 1;
    }
    const maclib::LibraryFile file(open.get());
    const maclib::LibraryReport report = maclib::inspect_library(file);
    bool sound = report.faults.empty();
    if (request.action == Action::check) {
        if (sound) summarise(path, report);
        report_faults(stdout, path, report);
    } else {
        if (request.action == Action::list) list(report);
        if (request.action == Action::print)
            sound = print(path, file, report, request.names) && sound;
        report_faults(stderr, path, report);
    }
    std::fflush(stdout);
    return sound ? 0 : 1;
}

} // namespace vornmac::tool
