#include "run/terminal_prompt.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace vornmac::tool {

TerminalPrompt::TerminalPrompt() {
    if (::isatty(STDOUT_FILENO) != 1)
        terminal_ = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
}

TerminalPrompt::~TerminalPrompt() {
    if (terminal_ >= 0) ::close(terminal_);
}

void TerminalPrompt::show(void *user, int line) {
    const auto &prompt = *static_cast<const TerminalPrompt *>(user);
    const std::string text = std::to_string(line) + "? ";
    if (prompt.terminal_ < 0) {
        if (::isatty(STDOUT_FILENO) != 1) return; // no terminal to show it on
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
        return;
    }
    // A prompt that cannot be shown is left out; the line is read all the same.
    if (::write(prompt.terminal_, text.data(), text.size()) < 0) return;
}

} // namespace vornmac::tool
