// Starting operating-system commands for %system. A command line is either handed to the
// POSIX shell (`/bin/sh -c`, the command interpreter), or split into words, where double
// quotes group blanks into one word, and the program named by the first word is started
// directly, looked up in PATH when it holds no "/".
//
// Every start goes through posix_spawn and every child the library creates is waited for
// with waitpid, so none is ever left a zombie: a command that is not waited for is
// started behind a shell that puts it in the background and ends at once, and only that
// shell is waited for. The library's own descriptors are close-on-exec. A command that
// cannot be started is ignored without a word, as the macro language wants.
//
// Like system(3), the process ignores SIGINT and SIGQUIT while it waits for a command, so a
// Ctrl-C reaches the command alone; the command starts with the default action for those and
// for SIGPIPE and SIGXFSZ, which a host may ignore for itself.
#pragma once
#include <string>
#include <vector>

namespace vornmac::platform {

enum class Interpreter { none, shell };
enum class Waiting { no, yes };

void run_command(const std::string &command_line, Interpreter interpreter, Waiting waiting);

// The words of a command line: blanks and tabs separate, a double-quoted stretch (quotes
// dropped) belongs to the word it stands in; an unclosed quote runs to the end.
std::vector<std::string> command_words(const std::string &command_line);

} // namespace vornmac::platform
