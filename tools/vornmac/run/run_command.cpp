#include "run/run_command.hpp"

#include "run/home.hpp"
#include "run/run_options.hpp"
#include "run/run_signals.hpp"
#include "run/session.hpp"
#include "run/start_up.hpp"
#include "run/terminal_prompt.hpp"
#include "run/token_writer.hpp"
#include "run/trace_writer.hpp"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace vornmac::tool {

namespace {

// Runs the program in the prepared home; gives the exit status.
int run_program(const RunOptions &options, const Home &home) {
    const bool interactive =
        options.source == ProgramSource::terminal && ::isatty(STDIN_FILENO) == 1;
    const auto layout =
        options.tokens ? TokenWriter::Layout::token_lines : TokenWriter::Layout::text;
    int reason = 0;
    std::optional<TokenWriter> out =
        TokenWriter::open(options.output_file, layout, interactive, reason);
    if (!out) {
        std::fprintf(stderr, "vornmac run: cannot create %s: %s\n", options.output_file->c_str(),
                     std::strerror(reason));
        return 2;
    }
    const StartUp start = start_run(options, home, interactive);
    if (start.ctx == nullptr) {
        std::fputs("vornmac run: the parser could not start\n", stderr);
        return 2;
    }
    const SourceNames names(options.label(), vornmac_main_program_file(start.ctx));
    TraceWriter trace(stderr, names, options.trace_names);
    if (options.trace) trace.attach(start.ctx);
    TerminalPrompt prompt;
    if (interactive) prompt.attach(start.ctx);

    bool interrupted = false;
    const int status = run_session(start, options, names, *out, interrupted);
    // A run that reached its end made its output, errors or not; one that could not start,
    // stopped half way (status 2) or was interrupted leaves the old -o file as it was.
    if (status == 2 || interrupted) return status;
    if (!out->commit()) {
        std::fprintf(stderr, "vornmac run: cannot replace %s: %s\n", options.output_file->c_str(),
                     std::strerror(out->reason()));
        return 2;
    }
    return status;
}

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
