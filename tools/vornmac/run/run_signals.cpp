#include "run/run_signals.hpp"

#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace vornmac::tool {

namespace {
constexpr int stop_signals[] = {SIGINT, SIGTERM, SIGHUP};

// A program that spins without producing a token never reaches the check for a stop, so the
// first signal also starts this grace period; when it runs out, the run ends without its saves.
constexpr unsigned grace_seconds = 2;

void set_action(int signal_number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
}

void end_at_once(int signal_number) {
    set_action(signal_number, SIG_DFL);
    ::raise(signal_number);
}

void on_grace_over(int) {
    end_at_once(stop_signal);
}

void on_stop_signal(int signal_number) {
    if (stop_signal != 0) {
        end_at_once(signal_number); // delivered as the handler returns
        return;
    }
    stop_signal = signal_number;
    set_action(SIGALRM, on_grace_over);
    ::alarm(grace_seconds);
}
} // namespace

volatile std::sig_atomic_t stop_signal = 0;

void handle_run_signals() {
    set_action(SIGPIPE, SIG_IGN);
    set_action(SIGXFSZ, SIG_IGN);
    for (const int signal_number : stop_signals) {
        struct sigaction inherited {};
        if (::sigaction(signal_number, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN)
            set_action(signal_number, on_stop_signal);
    }
}

void stop_reached() {
    ::alarm(0);
}

void end_by_stop_signal() {
    const int signal_number = stop_signal != 0 ? stop_signal : SIGINT;
    set_action(signal_number, SIG_DFL);
    sigset_t only_that;
    sigemptyset(&only_that);
    sigaddset(&only_that, signal_number);
    ::sigprocmask(SIG_UNBLOCK, &only_that, nullptr);
    ::raise(signal_number);
    ::_exit(128 + signal_number); // not reached unless the signal cannot end the process
}

bool reader_gone(int handle) {
    pollfd watched{handle, 0, 0};
    return ::poll(&watched, 1, 0) == 1 && (watched.revents & POLLERR) != 0;
}

} // namespace vornmac::tool
