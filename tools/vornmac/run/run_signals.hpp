// The signals a run of the vornmac tool meets. Left to their default action, each ends the
// process before the library saves: SIGPIPE when the reader of standard output has gone
// (`vornmac run ... | head -1`), SIGXFSZ at a file-size limit (`ulimit -f`), SIGINT at
// Ctrl-C, SIGTERM and SIGHUP when a job is cancelled or its terminal goes. For a run:
// - SIGPIPE and SIGXFSZ are ignored, so both come back as failed writes, which the writers
//   handle (the output ends quietly; "Write File Error"; the output could not be written).
// - The first SIGINT, SIGTERM or SIGHUP only asks the run to stop: the host loop ends the
//   program at its next token and saves as at a normal end, then the process ends by that
//   signal, as it would have at once. If no token comes within a short grace (a program that
//   spins without output), or a second signal comes, the process ends at once, unsaved. The
//   handler does not restart interrupted calls, so a run waiting for a typed line stops
//   waiting (the terminal's input ends there). A signal ignored when the run starts (a background
//   job of a script ignores SIGINT, nohup SIGHUP) stays ignored.
// Commands the library starts get the default actions back (the library resets them before
// it starts a command).
#pragma once
#include <csignal>

namespace vornmac::tool {

// The first stop signal that came, 0 before; set by the handler alone.
extern volatile std::sig_atomic_t stop_signal;

void handle_run_signals();
// True once SIGINT, SIGTERM or SIGHUP has come. Inline: the host loop asks before every token.
inline bool stop_requested() {
    return stop_signal != 0;
}
// The run has reached a token after a stop was asked: the grace ends, so the saves are made
// however long they take (a second signal still ends the process at once).
void stop_reached();
// Ends the process by the signal that asked it to stop, with its default action: a shell
// sees the status it would have seen (130 for Ctrl-C) and, running a script, stops it too.
[[noreturn]] void end_by_stop_signal();
// True when `handle` is a pipe or socket whose reader has gone.
bool reader_gone(int handle);

} // namespace vornmac::tool
