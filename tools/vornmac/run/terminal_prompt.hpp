// The prompt "N? " before each line of a program typed at a terminal, N being the number
// that line will have. It goes to the terminal: to standard output when that is the
// terminal (after the output waiting there, so the two stay in order), else straight to
// the terminal (/dev/tty), so that a redirected output never holds a prompt.
#pragma once
#include <vornmac/vornmac.h>

namespace vornmac::tool {

class TerminalPrompt {
  public:
    TerminalPrompt();
    ~TerminalPrompt();
    TerminalPrompt(const TerminalPrompt &) = delete;
    TerminalPrompt &operator=(const TerminalPrompt &) = delete;

    // The library calls back before it reads each typed line.
    void attach(parser_context *ctx) { vornmac_set_prompt(ctx, show, this); }

  private:
    static void show(void *user, int line);

    int terminal_ = -1; // /dev/tty, opened when standard output is not the terminal
};

} // namespace vornmac::tool
