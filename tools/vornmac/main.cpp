// vornmac: the command-line host of the vornmac library. It runs macro programs through the
// library's public interface and inspects the library's variable and macro library files.
// Each command adds itself to the command line from its own folder; main parses the words
// and runs the command they chose.
#include "check/check_command.hpp"
#include "common/command.hpp"
#include "common/command_line.hpp"
#include "common/help_command.hpp"
#include "lib/lib_command.hpp"
#include "run/run_command.hpp"
#include "vars/vars_command.hpp"

#include <vornmac/vornmac.h>

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vornmac::tool;

// The commands, in the order the help page lists them.
constexpr AddCommand commands[] = {add_run_command, add_vars_command, add_lib_command,
                                   add_check_command, add_help_command};

constexpr const char main_notes[] =
    R"(Run "vornmac COMMAND --help" (or "vornmac help COMMAND") for the options of a command.
)";

} // namespace

int main(int argc, char **argv) {
    CLI::App root("run macro programs and inspect the vornmac library's files", "vornmac");
    describe_command(root, {"COMMAND [ARG...]", "--help | COMMAND --help | --version"}, main_notes);
    root.set_help_flag("-h,--help", "show this help and exit");
    root.set_version_flag("--version",
                          std::string("vornmac ") + VORNMAC_TOOL_VERSION + " (library interface " +
                              std::to_string(version_number()) + ")",
                          "show the version and exit");
    root.require_subcommand(1);
    root.group("Commands");
    std::vector<std::unique_ptr<Command>> added;
    for (const AddCommand add : commands)
        added.push_back(add(root));

    if (const auto status = parse_command_line(root, argc, argv)) return *status;
    for (const std::unique_ptr<Command> &command : added)
        if (command->chosen()) return command->run();
    return 2; // not reached: the parse requires a command
}
