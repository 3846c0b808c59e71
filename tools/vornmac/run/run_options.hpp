// The command line of `vornmac run`. Options come first; the first other word is the
// program (a file name, or "-" for standard input), and every word after it is an argument
// of the program, passed on untouched even when it looks like an option. With -e the
// program is the option's text, and every word after the options is an argument.
#pragma once
#include "common/command_line.hpp"

#include <optional>
#include <string>
#include <vector>

namespace vornmac::tool {

enum class ProgramSource { file, text, terminal };

struct RunOptions {
    ProgramSource source = ProgramSource::file;
    std::string program; // the file name, or the program text of -e
    std::vector<std::string> arguments;
    std::vector<Assignment> defines; // -D NAME=VALUE, in the order given
    std::optional<std::string> home;
    std::optional<std::string> options_file;
    std::optional<std::string> log_file;       // "-" for standard error
    std::optional<std::string> program_folder; // -I, ending in "/"
    std::optional<std::string> module_name;
    std::optional<std::string> output_file; // never "-": that is standard output
    bool tokens = false;
    bool echo = true;   // --no-echo keeps the program text out of the log
    bool save = true;   // --no-save leaves the variable file as it was
    bool log = true;    // --no-log appends nothing to the log
    bool trace = false; // --trace reports actions of the library on standard error
    std::vector<std::string> trace_names; // --trace=NAME,...: only these; empty: all

    // How error lines name the program: the file name, "-e" or "-".
    std::string label() const;
};

// Declares the words of the run command; parsing them fills `options`.
void declare_run_options(CLI::App &run, RunOptions &options);

} // namespace vornmac::tool
