#include "run/run_signals.hpp"

#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace vornmac::tool {

namespace {
constexpr int stop_signals[] = {SIGINT, SIGTERM, SIGHUP};

void set_action(int signal_number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
}

void on_stop_signal(int signal_number) {
    if (stop_signal != 0) {
        set_action(signal_number, SIG_DFL);
        ::raise(signal_number);
    }
    stop_signal = signal_number;
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
