// The host loop. The library returns to the host's recovery mark with longjmp whenever a
// statement fails (1, or 2 for terminal input) or it cannot go on (100), so the loop is a
// small state machine: the frame holding the mark keeps no state of its own, and after a
// jump `Session::recover` decides, from the error variables, how the run goes on.
//
// Token order: start_parser_module primes the current and the next token and returns the
// first; every call_gettoken makes the next token current and scans a new next token. The
// session writes the first token and then every new next token, so each token is written
// once, as soon as it is complete. The input running out is how a program ends: error 173
// (its own _errortype), or a jump with 100 while the module is still being primed. What was
// still open then (a %do without %end, a cut-off reference) swallowed the rest of the
// program: the session has the library raise an error for each (4680, 4681), which it
// reports at the place the construct began, before the context finishes.
#include "run/session.hpp"

#include "run/error_report.hpp"
#include "run/run_signals.hpp"

#include <vornmac/vornmac.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vornmac::tool {

namespace {

// Start-up errors after which there is no main program to run.
bool main_program_unusable(int number) {
    return number == VORNMAC_ERROR_MAIN_PROGRAM_MISSING ||
           number == VORNMAC_ERROR_PROGRAM_TEXT_TOO_LONG ||
           number == VORNMAC_ERROR_PROGRAM_FILE_TOO_LARGE ||
           number == VORNMAC_ERROR_PROGRAM_PIPE_NOT_KEPT;
}

enum class Phase { defines, priming, tokens, open_at_end, finishing, done };
enum class Jump { statement_failed, cannot_go_on };

class Session {
  public:
    Session(const StartUp &start, const RunOptions &options, const SourceNames &names,
            TokenWriter &out)
        : ctx_(start.ctx), settings_(start.settings), options_(options), names_(names), out_(out) {}

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
    // After a main program file that is not there: the names it was looked for under.
    void report_names_tried() const;
    // How many of the constructs open at the end of the input are reported, and where the
    // one being reported began.
    int open_to_report() const;
    ErrorPlace open_construct_place() const;

    parser_context *ctx_;
    const std::vector<Assignment> &settings_;
    const RunOptions &options_;
    const SourceNames &names_;
    TokenWriter &out_;
    Phase phase_ = Phase::defines;
    size_t next_define_ = 0;
    int next_open_ = 0; // the open construct to report next
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
    if (error.number() == VORNMAC_ERROR_MAIN_PROGRAM_MISSING) report_names_tried();
    if (main_program_unusable(error.number().value_or(0))) {
        stopped_ = true;
        phase_ = Phase::finishing;
    }
}

void Session::report_names_tried() const {
    const std::string folder = options_.program_folder.value_or(call_optstring(ctx_, "_pathprg"));
    std::string names;
    for (const std::string &name :
         program_file_candidates(options_.program, call_optstring(ctx_, "_prgextend"), folder))
        names += (names.empty() ? "" : ", ") + name;
    std::fprintf(stderr, "  names tried: %s\n", names.c_str());
}

void Session::step() {
    // A Ctrl-C (or SIGTERM, SIGHUP) ends the program at the next token; the context then
    // finishes and saves as at the program's end.
    if ((phase_ == Phase::defines || phase_ == Phase::tokens) && stop_requested()) {
        stop_reached();
        interrupted_ = true;
        phase_ = Phase::finishing;
        return;
    }
    switch (phase_) {
    case Phase::defines:
        if (next_define_ < settings_.size()) {
            const Assignment &define = settings_[next_define_++];
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
            if (out_.write_plain_tokens(ctx_)) continue;
            call_gettoken(ctx_);
            out_.write(next);
        }
        return;
    }
    case Phase::open_at_end:
        if (next_open_ < open_to_report()) {
            // Jumps back to the mark, where recover reports it and moves on to the next.
            vornmac_report_open_construct(ctx_, next_open_);
            return;
        }
        phase_ = Phase::finishing;
        return;
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

int Session::open_to_report() const {
    // Text cut off inside the innermost construct, and that construct: the constructs
    // around it are open only because it is.
    const int count = vornmac_open_constructs(ctx_, 0, nullptr);
    for (int index = 0; index < count; ++index) {
        vornmac_open_construct open{};
        vornmac_open_constructs(ctx_, index, &open);
        if (*open.closing != '\0') return index + 1;
    }
    return count;
}

ErrorPlace Session::open_construct_place() const {
    vornmac_open_construct open{};
    vornmac_open_constructs(ctx_, next_open_, &open);
    const SourceKind kind = open.source_kind == 'm'   ? SourceKind::macro
                            : open.source_kind == 's' ? SourceKind::variable
                                                      : SourceKind::file;
    return {names_.label(kind, open.source_name, open.source_index == 0), shown_position(open.line),
            shown_position(open.column)};
}

void Session::recover(Jump jump) {
    const ReportedError error = ReportedError::read(ctx_);
    if (phase_ == Phase::open_at_end) {
        depth_seen_ = error.depth;
        report(error, {open_construct_place()});
        mark_seen(error);
        ++next_open_;
        return;
    }
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
        phase_ = Phase::open_at_end;
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

int run_session(const StartUp &start, const RunOptions &options, const SourceNames &names,
                TokenWriter &out, bool &interrupted) {
    Session session(start, options, names, out);
    session.check_start_up();
    drive(session);
    interrupted = session.interrupted();
    const bool written = out.finish();
    if (!written)
        std::fprintf(stderr, "vornmac run: cannot write %s: %s\n",
                     options.output_file.value_or("the standard output").c_str(),
                     out.reason() != 0 ? std::strerror(out.reason()) : "write failed");
    return session.exit_status(written);
}

} // namespace vornmac::tool
