// What every vornmac command shares on its command line, built on CLI11: a help page that
// opens with the command's usage forms, one error line that names the command and points
// at its help, exit status 2 for a bad command line, and NAME=VALUE option words. Each
// command adds itself to the root application with its own add_*_command function, which
// binds the options to a request record that the command then carries out.
#pragma once
#include <initializer_list>
#include <optional>
#include <string>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace vornmac::tool {

// Gives the command a help page: "Usage:" and each form written after the command's name,
// the one-line description, its arguments and options, then the notes.
void describe_command(CLI::App &command, std::initializer_list<const char *> forms,
                      std::string notes);

// Parses the words; nothing when the chosen command should run, else the exit status: 0
// once help or the version was printed, 2 once a bad command line was reported.
std::optional<int> parse_command_line(CLI::App &root, int argc, const char *const *argv);

// Makes a repeatable option whose every value is NAME=VALUE with a name before the "=".
CLI::Option *take_assignments(CLI::Option *option);

struct Assignment {
    std::string name;
    std::string value;
};

// Splits a word that take_assignments accepted at its first "=".
Assignment split_assignment(const std::string &word);

} // namespace vornmac::tool
