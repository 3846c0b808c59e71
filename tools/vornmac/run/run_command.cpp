#include "run/run_command.hpp"

#include "run/home.hpp"
#include "run/run_options.hpp"
#include "run/run_signals.hpp"
#include "run/session.hpp"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace vornmac::tool {

namespace {

class RunCommand : public Command {
  public:
    using Command::Command;

    int run() override {
        const std::optional<Home> home = locate_home(options.home);
        if (!home) {
            std::fputs("vornmac run: no home: use --home DIR or set VORNMAC_HOME or HOME\n",
                       stderr);
            return 2;
        }
        if (const auto error = prepare_home(*home)) {
            std::fprintf(stderr, "vornmac run: %s\n", error->c_str());
            return 2;
        }
        handle_run_signals();
        const int status = run_program(options, *home);
        // Everything is saved and closed by now: a Ctrl-C (or SIGTERM, SIGHUP) ends the
        // process as it would have.
        if (stop_requested()) end_by_stop_signal();
        return status;
    }

    RunOptions options;
};

} // namespace

std::unique_ptr<Command> add_run_command(CLI::App &root) {
    CLI::App &run =
        *root.add_subcommand("run", "run a macro program and write the text that comes out of it");
    auto command = std::make_unique<RunCommand>(run);
    declare_run_options(run, command->options);
    return command;
}

} // namespace vornmac::tool
