#include "lib/lib_command.hpp"

#include "common/command_line.hpp"
#include "common/text_escape.hpp"

#include <vornmac/vornmac.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

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

// A macro as the commands show it, kept from the library's reading of the file.
struct Macro {
    std::string name;
    std::string line; // its line in the list
    std::optional<std::string> definition;
};

struct Fault {
    int32_t offset;
    std::string what;
};

struct Library {
    std::vector<Macro> macros; // newest first
    std::vector<Fault> faults;
    vornmac_library_summary summary{};
};

std::string defined_at(const vornmac_library_macro &m) {
    if (m.defined_valid == 0) return "(no valid time)";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", m.year, m.month, m.day, m.hour,
                  m.minute);
    return text;
}

std::string parameter_list(const vornmac_library_macro &m) {
    std::string out;
    for (int i = 0; i < m.parameter_count; ++i) {
        if (!out.empty()) out += ',';
        out += m.parameter_names[i];
        if (m.parameter_defaults[i] != nullptr) out += std::string("=") + m.parameter_defaults[i];
    }
    return out;
}

void keep_macro(void *user, const vornmac_library_macro *m) {
    std::string line = escaped_quoted(m->name) + "  defined " + defined_at(*m) + "  size " +
                       std::to_string(m->record_size);
    if (m->parameter_count > 0) line += "  parameters " + escaped_quoted(parameter_list(*m));
    if (*m->label != '\0') line += "  label " + escaped_quoted(m->label);
    std::optional<std::string> definition;
    if (m->definition != nullptr) definition.emplace(m->definition, m->definition_length);
    static_cast<Library *>(user)->macros.push_back({m->name, line, std::move(definition)});
}

void keep_fault(void *user, int32_t offset, const char *what) {
    static_cast<Library *>(user)->faults.push_back({offset, what});
}

bool print_definition(const Macro &macro) {
    if (!macro.definition) return false;
    std::fwrite(macro.definition->data(), 1, macro.definition->size(), stdout);
    return true;
}

// Prints the named definitions (all when none is named); false when one is missing.
bool print(const char *path, const Library &library, const std::vector<std::string> &names) {
    bool all_found = true;
    if (names.empty()) {
        for (const Macro &macro : library.macros)
            all_found = print_definition(macro) && all_found;
        return all_found;
    }
    for (const std::string &name : names) {
        bool found = false;
        for (const Macro &macro : library.macros) {
            if (vornmac_same_name(macro.name.c_str(), name.c_str()) == 0) continue;
            found = print_definition(macro);
            break;
        }
        if (!found)
            std::fprintf(stderr, "vornmac lib print: %s holds no macro %s\n", path, name.c_str());
        all_found = all_found && found;
    }
    return all_found;
}

void summarise(const char *path, const vornmac_library_summary &s) {
    std::printf("%s: sound: %d macros, %d free blocks of %lld bytes, end offset %u\n", path,
                s.macros, s.free_blocks, static_cast<long long>(s.free_bytes), s.end_offset);
}

void report_faults(std::FILE *out, const char *path, const Library &library) {
    for (const Fault &f : library.faults)
        std::fprintf(out, "%s: offset %d: %s\n", path, f.offset, f.what.c_str());
}

class LibCommand : public Command {
  public:
    using Command::Command;
    int run() override;

    LibRequest request;
};

int LibCommand::run() {
    const char *path = request.path.c_str();
    Library library;
    char problem[300];
    const int read = vornmac_read_macro_library(path, &library, keep_macro, keep_fault,
                                                &library.summary, problem, sizeof problem);
    if (read < 0) {
        std::fprintf(stderr, "vornmac lib %s: %s: %s\n", action_name(request.action), path,
                     problem);
        return 1;
    }
    bool sound = read == 0;
    if (request.action == Action::check) {
        if (sound) summarise(path, library.summary);
        report_faults(stdout, path, library);
    } else {
        if (request.action == Action::list)
            for (const Macro &macro : library.macros)
                std::printf("%s\n", macro.line.c_str());
        if (request.action == Action::print) sound = print(path, library, request.names) && sound;
        report_faults(stderr, path, library);
    }
    std::fflush(stdout);
    return sound ? 0 : 1;
}

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

} // namespace vornmac::tool
