// The host loop. The library returns to the host's recovery mark with longjmp whenever a
// statement fails (1, or 2 for terminal input) or it cannot go on (100), so the loop is a
// small state machine: the frame holding the mark keeps no state of its own, and after a
// jump `Session::recover` decides, from the error variables, how the run goes on.
//
// Token order: start_parser_module primes the current and the next token and returns the
// first; every call_gettoken makes the next token current and scans a new next token. The
// session writes the first token and then every new next token, so each token is written
// once, as soon as it is complete. The input running out is how a program ends: error 173
// (its own _errortype), or a jump with 100 while the module is still being primed.
#include "run/session.hpp"

#include "run/error_report.hpp"
#include "run/token_writer.hpp"
#include "run/trace_writer.hpp"

#include "run/run_signals.hpp"

#include <vornmac/vornmac.h>

#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vornmac::tool {

namespace {

bool standard_input_is_terminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

// Start-up errors after which there is no main program to run.
bool main_program_unusable(int number) {
    constexpr int main_program_missing = 4504;
    constexpr int program_text_too_long = 4608;
    constexpr int program_file_too_large = 4610;
    constexpr int program_pipe_not_kept = 4611;
    return number == main_program_missing || number == program_text_too_long ||
           number == program_file_too_large || number == program_pipe_not_kept;
}

enum class Phase { defines, priming, tokens, finishing, done };
enum class Jump { statement_failed, cannot_go_on };

class Session {
  public:
    Session(parser_context *ctx, const RunOptions &options, const SourceNames &names,
            TokenWriter &out)
        : ctx_(ctx), options_(options), names_(names), out_(out) {}

    parser_context *context() const { return ctx_; }
    bool running() const { return phase_ != Phase::done; }
    // The program was stopped by a signal (Ctrl-C, say) before its end.
    bool interrupted() const { return interrupted_; }

    // Reports what init_parser ran into; a missing main program ends the run there.
    void check_start_up();
    void step();
    void recover(Jump jump);
    int exit_status(bool output_written) const;

  private:
    void report(const ReportedError &error, const std::vector<ErrorPlace> &places = {});
    // The message stays in _errormessage for the program to read; the session remembers
    // it instead, to tell a new message from one already reported.
    bool is_new(const ReportedError &error) const { return error.message != message_seen_; }
    void mark_seen(const ReportedError &error) { message_seen_ = error.message; }
    // The token that was current when priming stopped: the first token once it is
    // complete, the empty text before that.
    void write_primed_token();

    parser_context *ctx_;
    const RunOptions &options_;
    const SourceNames &names_;
    TokenWriter &out_;
    Phase phase_ = Phase::defines;
    size_t next_define_ = 0;
    std::string depth_seen_;
    std::string message_seen_;
    int errors_ = 0;
    bool stopped_ = false;
    bool interrupted_ = false;
    char first_token_[200] = {};
};

void Session::report(const ReportedError &error, const std::vector<ErrorPlace> &places) {
    print_error(stderr, options_.label(), error, places);
    ++errors_;
}

void Session::write_primed_token() {
    const char *token = addcurrtoken(ctx_);
    if (*token != '\0') out_.write(token);
}

void Session::check_start_up() {
    const ReportedError error = ReportedError::read(ctx_);
    depth_seen_ = error.depth;
    if (!is_new(error)) return;
    report(error);
    mark_seen(error);
    if (main_program_unusable(error.number().value_or(0))) {
        stopped_ = true;
        phase_ = Phase::finishing;
    }
}

void Session::step() {
    // A Ctrl-C (or SIGTERM, SIGHUP) ends the program at the next token; the context then
    // finishes and saves as at the program's end.
    if ((phase_ == Phase::defines || phase_ == Phase::tokens) && stop_requested()) {
        interrupted_ = true;
        phase_ = Phase::finishing;
        return;
    }
    switch (phase_) {
    case Phase::defines:
        if (next_define_ < options_.defines.size()) {
            const Assignment &define = options_.defines[next_define_++];
            call_savemacrochar(ctx_, 0, define.name.c_str(), define.value.c_str());
            return;
        }
        phase_ = Phase::priming;
        start_parser_module(ctx_, first_token_);
        out_.write(first_token_);
        out_.write(addnextoken(ctx_));
        phase_ = Phase::tokens;
        return;
    case Phase::tokens: {
        // Besides a stop signal, only a jump to the mark leaves this loop: the end of the
        // input is one.
        const char *next = addnextoken(ctx_);
        while (!stop_requested()) {
            call_gettoken(ctx_);
            out_.write(next);
        }
        return;
    }
    case Phase::finishing: {
        phase_ = Phase::done;
        // A variable file that could not be saved is an error of the run.
        char message[400] = {};
        if (vornmac_finish_parser(ctx_, 2, message, sizeof message) != 0) report({message, "", ""});
        return;
    }
    case Phase::priming: // recover always moves on from priming
    case Phase::done:
        return;
    }
}

void Session::recover(Jump jump) {
    const ReportedError error = ReportedError::read(ctx_);
    // Every error raised while there is input writes a trace entry; an error without one
    // was raised because no input was left.
    const std::vector<ErrorPlace> places =
        read_error_places(ctx_, names_, depth_seen_, error.depth);
    const bool located = !places.empty();
    depth_seen_ = error.depth;
    // A located error always comes with its message, even one worded as the last one.
    const bool reported = located || is_new(error);
    const bool input_ended =
        jump == Jump::cannot_go_on ? !reported : error.type == end_of_input_type || !located;
    if (input_ended) {
        // A message file without error 173 reports it as an unknown number: still the end.
        if (reported && error.type != end_of_input_type) report(error);
        if (phase_ == Phase::priming) write_primed_token();
        phase_ = Phase::finishing;
        return;
    }
    report(error, places);
    mark_seen(error);
    // The text read before the error is the program's output, also when the run stops.
    if (phase_ == Phase::priming) write_primed_token();
    if (jump == Jump::cannot_go_on) {
        stopped_ = true;
        phase_ = Phase::finishing;
    } else if (phase_ == Phase::priming) {
        phase_ = Phase::tokens;
    }
}

int Session::exit_status(bool output_written) const {
    if (stopped_ || !output_written) return 2;
    return errors_ > 0 ? 1 : 0;
}

// Holds the recovery mark for the whole life of the context. No object with a destructor
// lives in this frame: a jump back here must not skip one.
void drive(Session &session) {
    std::jmp_buf mark;
    switch (setjmp(mark)) {
    case 0:
        set_jmpmark(session.context(), mark);
        break;
    case 100:
        session.recover(Jump::cannot_go_on);
        break;
    default:
        session.recover(Jump::statement_failed);
        break;
    }
    while (session.running())
        session.step();
}

} // namespace

int run_program(const RunOptions &options, const Home &home) {
    // A program piped in is read as a program file (the library keeps a copy of a pipe), so
    // it runs as the same file would: no prompts, the same output.
    const bool interactive =
        options.source == ProgramSource::terminal && standard_input_is_terminal();
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

    // Entry 0 of the argument vector is not read by the library; the program's own
    // arguments follow it.
    std::vector<const char *> argv{"vornmac"};
    for (const std::string &argument : options.arguments)
        argv.push_back(argument.c_str());
    const char *program_name = options.source == ProgramSource::terminal && !interactive
                                   ? "/dev/stdin"
                               : options.source == ProgramSource::file     ? options.program.c_str()
                               : options.source == ProgramSource::terminal ? ""
                                                                           : nullptr;
    const char *program_text =
        options.source == ProgramSource::text ? options.program.c_str() : nullptr;
    // Always name the variable file: the library saves it back where it was named, and the
    // default would be the current directory.
    const std::string variable_file = options.options_file.value_or(home.variable_file());
    const bool has_log = options.log_file.has_value();

    parser_context *ctx = init_parser(
        program_name, static_cast<int16_t>(options.arguments.size()), argv.data(), program_text,
        home.directory.c_str(), VORNMAC_OPTIONS_TAG, variable_file.c_str(),
        has_log ? VORNMAC_LOG_TAG : 0, has_log ? options.log_file->c_str() : nullptr);
    if (ctx == nullptr) {
        std::fprintf(stderr, "vornmac run: the parser could not start\n");
        return 2;
    }
    if (!options.tokens) vornmac_set_blank_whitespace(ctx, 0);
    if (!options.echo) vornmac_set_program_echo(ctx, 0);
    if (options.module_name) set_modulename(ctx, options.module_name->c_str());
    const SourceNames names(options.label(), vornmac_main_program_file(ctx));
    TraceWriter trace(stderr, names);
    if (options.trace) trace.attach(ctx);

    Session session(ctx, options, names, *out);
    session.check_start_up();
    drive(session);
    const bool written = out->finish();
    if (!written)
        std::fprintf(stderr, "vornmac run: cannot write %s: %s\n",
                     options.output_file.value_or("the standard output").c_str(),
                     out->reason() != 0 ? std::strerror(out->reason()) : "write failed");
    const int status = session.exit_status(written);
    // A run that reached its end made its output, errors or not; one that could not start,
    // stopped half way (status 2) or was interrupted leaves the old -o file as it was.
    if (status == 2 || session.interrupted()) return status;
    if (!out->commit()) {
        std::fprintf(stderr, "vornmac run: cannot replace %s: %s\n", options.output_file->c_str(),
                     std::strerror(out->reason()));
        return 2;
    }
    return status;
}

} // namespace vornmac::tool
