#include "check/check_command.hpp"

#include "check/finding_output.hpp"
#include "common/command_line.hpp"
#include "run/home.hpp"

#include <vornmac/vornmac.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vornmac::tool {

namespace {

constexpr const char check_notes[] =
    R"(check reads each program as a run cuts it into tokens, without running anything: no
statement executes, no file is written, nothing is logged. It reports unclosed and stray
blocks (%do, %end, %if, %then, %else, %macro, %mend, %select branches), unclosed comments,
function calls whose parentheses do not balance or are missing, calls of macros that are
neither in the home's libraries nor defined earlier in the files given, arguments a macro
does not take, and the traps the manual lists. With --undefined it also warns about
references to variables that nothing in the files sets (the home's saved variables, -D
names, argc, argv1 ... and the library's own _ variables count as set).

Findings come in the order of the files, each file's in the order of its text, one line
each: FILE:LINE:COLUMN: error|warning: message [name]. The column counts the characters
before the place on its line, as the run's error messages do. Exit status: 0 when nothing
is found, 1 when something is, 2 when a file cannot be read or the command line is wrong.
)";

struct CheckRequest {
    std::optional<std::string> home;
    std::vector<std::string> defined;
    bool undefined = false;
    bool json = false;
    std::vector<std::string> files;
};

struct Printer {
    bool json;
    JsonFindings json_findings{stdout};
    bool unreadable = false;
};

void print_finding(void *user, const vornmac_check_finding *finding) {
    auto &printer = *static_cast<Printer *>(user);
    if (printer.json)
        printer.json_findings.add(*finding);
    else
        print_finding_line(stdout, *finding);
}

void note_unreadable(void *user, const char *file, const char *reason) {
    static_cast<Printer *>(user)->unreadable = true;
    std::fprintf(stderr, "vornmac check: cannot read %s: %s\n", file, reason);
}

class CheckCommand : public Command {
  public:
    using Command::Command;
    int run() override;

    CheckRequest request;
};

int CheckCommand::run() {
    // The home is only read: a missing one gives no libraries and no saved variables.
    const std::optional<Home> home = locate_home(request.home);
    const std::string variable_file = home ? home->variable_file() : std::string();
    std::vector<std::string> names;
    for (const std::string &word : request.defined)
        names.push_back(word.substr(0, word.find('=')));
    std::vector<const char *> defined;
    for (const std::string &name : names)
        defined.push_back(name.c_str());
    std::vector<const char *> files;
    for (const std::string &file : request.files)
        files.push_back(file.c_str());
    const vornmac_check_options options{home ? variable_file.c_str() : nullptr, defined.data(),
                                        static_cast<int>(defined.size()),
                                        request.undefined ? 1 : 0};
    Printer printer{request.json};
    const int found = vornmac_check_programs(files.data(), static_cast<int>(files.size()), &options,
                                             &printer, print_finding, note_unreadable);
    if (request.json) printer.json_findings.close();
    std::fflush(stdout);
    if (printer.unreadable || found < 0) return 2;
    return found > 0 ? 1 : 0;
}

} // namespace

std::unique_ptr<Command> add_check_command(CLI::App &root) {
    CLI::App &check = *root.add_subcommand("check", "find a program's mistakes without running it");
    auto command = std::make_unique<CheckCommand>(check);
    CheckRequest &request = command->request;
    describe_command(check, {"[--home DIR] [-D NAME[=VALUE]]... [--undefined] [--json] FILE..."},
                     check_notes);
    check
        .add_option("--home", request.home, "the vornmac home whose libraries and variables count")
        ->type_name("DIR");
    check.add_option("-D", request.defined, "a variable the host sets (its value is not used)")
        ->type_name("NAME[=VALUE]")
        ->allow_extra_args(false);
    check.add_flag("--undefined", request.undefined,
                   "warn about references to variables that nothing sets");
    check.add_flag("--json", request.json, "print the findings as a JSON array");
    check.add_option("FILE", request.files, "the program files, in the order they run")
        ->type_name("")
        ->required();
    return command;
}

} // namespace vornmac::tool
