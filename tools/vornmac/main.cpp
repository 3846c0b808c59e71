// vornmac: the command-line host of the vornmac library. It runs macro programs through the
// library's public interface and inspects the library's variable and macro library files.
// Each command adds itself to the command line; main parses it and runs the chosen one.
#include "command_line.hpp"
#include "home.hpp"
#include "host_run.hpp"
#include "lib_command.hpp"
#include "run_options.hpp"
#include "vars_command.hpp"

#include "platform/run_signals.hpp"

#include <vornmac/vornmac.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace {

constexpr const char main_notes[] =
    R"(Run "vornmac COMMAND --help" (or "vornmac help COMMAND") for the options of a command.
)";

int run(const vornmac::tool::RunOptions &options) {
    using namespace vornmac::tool;
    const std::optional<Home> home = locate_home(options.home);
    if (!home) {
        std::fputs("vornmac run: no home: use --home DIR or set VORNMAC_HOME or HOME\n", stderr);
        return 2;
    }
    if (const auto error = prepare_home(*home)) {
        std::fprintf(stderr, "vornmac run: %s\n", error->c_str());
        return 2;
    }
    vornmac::platform::handle_run_signals();
    const int status = run_program(options, *home);
    // Everything is saved and closed by now: a Ctrl-C (or SIGTERM, SIGHUP) ends the process
    // as it would have.
    if (vornmac::platform::stop_requested()) vornmac::platform::end_by_stop_signal();
    return status;
}

// `vornmac help [COMMAND]` shows the page that --help would.
int help(const CLI::App &root, const std::string &command) {
    const CLI::App *page = command.empty() ? &root : root.get_subcommand(command);
    const std::string name = command.empty() ? root.get_name() : root.get_name() + ' ' + command;
    std::fputs(page->get_formatter()->make_help(page, name, CLI::AppFormatMode::Normal).c_str(),
               stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    using namespace vornmac::tool;
    CLI::App root("run macro programs and inspect the vornmac library's files", "vornmac");
    describe_command(root, {"COMMAND [ARG...]", "--help | COMMAND --help | --version"}, main_notes);
    root.set_help_flag("-h,--help", "show this help and exit");
    root.set_version_flag("--version",
                          std::string("vornmac ") + VORNMAC_TOOL_VERSION + " (library interface " +
                              std::to_string(version_number()) + ")",
                          "show the version and exit");
    root.require_subcommand(1);
    root.group("Commands");
    RunOptions run_options;
    add_run_command(root, run_options);
    VarsRequest vars_request;
    add_vars_command(root, vars_request);
    LibRequest lib_request;
    add_lib_command(root, lib_request);
    std::string help_topic;
    root.add_subcommand("help", "show this help, or the help of COMMAND")
        ->add_option("COMMAND", help_topic, "a command")
        ->type_name("")
        ->check(CLI::IsMember({"run", "vars", "lib"}));

    if (const auto status = parse_command_line(root, argc, argv)) return *status;
    if (root.got_subcommand("run")) return run(run_options);
    if (root.got_subcommand("vars")) return vars_command(vars_request);
    if (root.got_subcommand("lib")) return lib_command(lib_request);
    return help(root, help_topic);
}
