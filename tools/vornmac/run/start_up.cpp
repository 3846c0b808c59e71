#include "run/start_up.hpp"

#include <sys/stat.h>
#include <unistd.h>

namespace vornmac::tool {

namespace {

// The saved value `name` of the variable file, "" when it has none (or cannot be read: the
// library reports that itself when it starts).
std::string saved_value(const std::string &variable_file, const char *name) {
    struct Wanted {
        const char *name;
        std::string value;
    } wanted{name, {}};
    vornmac_read_variable_file(
        variable_file.c_str(), &wanted, nullptr,
        [](void *user, int16_t level, const char *found, const char *text) {
            auto &w = *static_cast<Wanted *>(user);
            if (level == -1 && vornmac_same_name(found, w.name) != 0) w.value = text;
        },
        nullptr, 0);
    return wanted.value;
}

// The name the library is to open the program file under: the first one found in -I's
// folder, with the variable file's _prgextend, as the library would look with _pathprg set
// to it; the name as given when none is (the library then reports it missing).
std::string program_in_folder(const std::string &name, const std::string &folder,
                              const std::string &variable_file) {
    struct Found {
        std::string name;
    } found;
    vornmac_program_file_candidates(name.c_str(), saved_value(variable_file, "_prgextend").c_str(),
                                    folder.c_str(), &found,
                                    [](void *user, const char *candidate, int exists) {
                                        auto &f = *static_cast<Found *>(user);
                                        if (exists != 0 && f.name.empty()) f.name = candidate;
                                    });
    return found.name.empty() ? name : found.name;
}

bool same_file(int handle, const std::string &name) {
    struct stat named {};
    struct stat open {};
    return ::stat(name.c_str(), &named) == 0 && ::fstat(handle, &open) == 0 &&
           named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

// The log file init_parser is to open, or nothing for the log of the variable file's
// _logfile or the home. Standard error ("-", or a name of it such as /dev/stderr when it is
// a pipe or a terminal, which the library cannot open as a file) is handed over as an open
// descriptor; --no-log is the null device.
std::optional<std::string> log_file(const RunOptions &options) {
    if (!options.log) return "/dev/null";
    if (!options.log_file) return std::nullopt;
    const std::string &name = *options.log_file;
    struct stat error_stream {};
    const bool to_standard_error = name == "-" || (same_file(STDERR_FILENO, name) &&
                                                   ::fstat(STDERR_FILENO, &error_stream) == 0 &&
                                                   !S_ISREG(error_stream.st_mode));
    if (to_standard_error && vornmac_set_log_descriptor(STDERR_FILENO) != 0) return "/dev/null";
    return name;
}

} // namespace

std::vector<std::string> program_file_candidates(const std::string &name,
                                                 const std::string &extension,
                                                 const std::string &folder) {
    std::vector<std::string> names;
    vornmac_program_file_candidates(name.c_str(), extension.c_str(), folder.c_str(), &names,
                                    [](void *user, const char *candidate, int) {
                                        static_cast<std::vector<std::string> *>(user)->push_back(
                                            candidate);
                                    });
    return names;
}

StartUp start_run(const RunOptions &options, const Home &home, bool interactive) {
    StartUp start;
    // Always name the variable file: the library saves it back where it was named, and the
    // default would be the current directory.
    const std::string variable_file = options.options_file.value_or(home.variable_file());
    std::string program_name;
    if (options.source == ProgramSource::file) {
        program_name = options.program;
        if (options.program_folder) {
            program_name =
                program_in_folder(options.program, *options.program_folder, variable_file);
            start.settings.push_back({"_pathprg", *options.program_folder});
            if (program_name != options.program)
                start.settings.push_back({"argv0", options.program});
        }
    } else if (options.source == ProgramSource::terminal) {
        // A program piped in is read as a program file (the library keeps a copy of a pipe),
        // so it runs as the same file would: no prompts, the same output.
        program_name = interactive ? "" : "/dev/stdin";
    }
    for (const Assignment &define : options.defines)
        start.settings.push_back(define);

    // Entry 0 of the argument vector is not read by the library; the program's own
    // arguments follow it.
    std::vector<const char *> argv{"vornmac"};
    for (const std::string &argument : options.arguments)
        argv.push_back(argument.c_str());
    const std::optional<std::string> log = log_file(options);
    start.ctx =
        init_parser(options.source == ProgramSource::text ? nullptr : program_name.c_str(),
                    static_cast<int16_t>(options.arguments.size()), argv.data(),
                    options.source == ProgramSource::text ? options.program.c_str() : nullptr,
                    home.directory.c_str(), VORNMAC_OPTIONS_TAG, variable_file.c_str(),
                    log ? VORNMAC_LOG_TAG : 0, log ? log->c_str() : nullptr);
    if (start.ctx == nullptr) return start;
    if (!options.tokens) vornmac_set_blank_whitespace(start.ctx, 0);
    if (!options.echo) vornmac_set_program_echo(start.ctx, 0);
    if (!options.save) vornmac_set_variable_save(start.ctx, 0);
    if (options.module_name) set_modulename(start.ctx, options.module_name->c_str());
    return start;
}

} // namespace vornmac::tool
