// The command line of `vornmac run`. Options come first; the first other word is the
// program (a file name, or "-" for the terminal), and every word after it is an argument of
// the program, passed on untouched even when it looks like an option.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace vornmac::tool {

enum class ProgramSource { file, text, terminal };

struct Define {
    std::string name;
    std::string value;
};

struct RunOptions {
    ProgramSource source = ProgramSource::file;
    std::string program; // the file name, or the program text of -e
    std::vector<std::string> arguments;
    std::vector<Define> defines;
    std::optional<std::string> home;
    std::optional<std::string> options_file;
    std::optional<std::string> log_file;
    std::optional<std::string> module_name;
    std::optional<std::string> output_file;
    bool tokens = false;
    bool echo = true; // --no-echo keeps the program text out of the log
    bool help = false;

    // How error lines name the program: the file name, "-e" or "-".
    std::string label() const;
};

// The options, or a message that tells the user what is wrong with the command line.
std::variant<RunOptions, std::string> parse_run_options(std::span<const char *const> words);

extern const char run_usage[];

} // namespace vornmac::tool
