#include "run_options.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace vornmac::tool {

const char run_usage[] =
    R"(Usage: vornmac run [OPTION...] PROGRAM [ARG...]
       vornmac run [OPTION...] -e TEXT [ARG...]
       vornmac run [OPTION...] - [ARG...]

Runs a macro program and writes the text that comes out of it. PROGRAM is a file; with
-e the program is TEXT; with - it is read from standard input: typed at a terminal with a
prompt for each line, or taken whole from a pipe or a redirect and run as a file is. The
ARGs reach the program as the variables argc and argv1, argv2, ...

Options:
  -D NAME=VALUE   set the global macro variable NAME before the program starts
                  (repeatable)
  -o FILE         write the output to FILE instead of standard output
  --tokens        write each token as the library hands it over (white space inside
                  it blanked), one per line, instead of the program text
  --no-echo       keep the program text out of the log; errors and their input
                  traces still go there
  --home DIR      the vornmac home (default: $VORNMAC_HOME, else ~/.vornmac); it is
                  created with a default variable file and message file when missing
  --options FILE  the variable (options) file (default: vorn_opt.dat in the home)
  --log FILE      the log file (default: the _logfile variable, else vorntool.log in
                  the home)
  --module NAME   the module name that errors are reported for
  -h, --help      show this help

Errors are reported on standard error as FILE:LINE:COLUMN: ERROR #N : message.
Exit status: 0 without errors, 1 when errors were reported, 2 when the program could
not be run (bad command line, start-up failure, or the library could not go on).
)";

std::string RunOptions::label() const {
    switch (source) {
    case ProgramSource::text:
        return "-e";
    case ProgramSource::terminal:
        return "-";
    case ProgramSource::file:
        break;
    }
    return program;
}

namespace {

// Walks the words of the command line; an option's value is either attached ("-DX=1",
// "--home=DIR") or the following word.
class Words {
  public:
    explicit Words(std::span<const char *const> words) : words_(words) {}

    bool done() const { return next_ >= words_.size(); }
    std::string_view take() { return words_[next_++]; }

    std::optional<std::string> value(std::string_view attached) {
        if (!attached.empty()) return std::string(attached);
        if (done()) return std::nullopt;
        return std::string(take());
    }

  private:
    std::span<const char *const> words_;
    size_t next_ = 0;
};

struct Parser {
    RunOptions options;
    bool have_text = false;
    bool have_program = false;

    std::optional<std::string> option(std::string_view word, Words &words);
    std::optional<std::string> positional(std::string_view word);
    std::optional<std::string> define(const std::string &assignment);
};

std::optional<std::string> Parser::define(const std::string &assignment) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0)
        return "-D needs NAME=VALUE with a name, got \"" + assignment + "\"";
    options.defines.push_back({assignment.substr(0, equals), assignment.substr(equals + 1)});
    return std::nullopt;
}

// Handles one option word; returns an error message, or nothing when it was fine.
std::optional<std::string> Parser::option(std::string_view word, Words &words) {
    if (word == "-h" || word == "--help") {
        options.help = true;
        return std::nullopt;
    }
    if (word == "--tokens") {
        options.tokens = true;
        return std::nullopt;
    }
    if (word == "--no-echo") {
        options.echo = false;
        return std::nullopt;
    }
    std::string_view name = word;
    std::string_view attached;
    if (word.starts_with("--")) {
        const size_t equals = word.find('=');
        if (equals != std::string_view::npos) {
            name = word.substr(0, equals);
            attached = word.substr(equals + 1);
        }
    } else if (word.size() > 2) {
        name = word.substr(0, 2);
        attached = word.substr(2);
    }
    struct Target {
        std::string_view name;
        std::optional<std::string> RunOptions::*field;
    };
    static constexpr Target targets[] = {
        {"--home", &RunOptions::home},    {"--options", &RunOptions::options_file},
        {"--log", &RunOptions::log_file}, {"--module", &RunOptions::module_name},
        {"-o", &RunOptions::output_file},
    };
    const bool known =
        name == "-D" || name == "-e" ||
        std::ranges::any_of(targets, [&](const Target &t) { return t.name == name; });
    if (!known) return "unknown option " + std::string(word);
    std::optional<std::string> value = words.value(attached);
    if (!value) return "option " + std::string(name) + " needs a value";
    if (name == "-D") return define(*value);
    if (name == "-e") {
        if (have_text) return std::string("only one -e TEXT can be given");
        have_text = true;
        options.source = ProgramSource::text;
        options.program = *value;
        return std::nullopt;
    }
    for (const Target &t : targets)
        if (t.name == name) options.*t.field = *value;
    return std::nullopt;
}

// The first positional word is the program unless -e gave it; the rest are arguments.
std::optional<std::string> Parser::positional(std::string_view word) {
    if (have_text || have_program) {
        options.arguments.emplace_back(word);
        if (options.arguments.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max()))
            return std::string("too many program arguments");
        return std::nullopt;
    }
    have_program = true;
    if (word == "-")
        options.source = ProgramSource::terminal;
    else
        options.program = std::string(word);
    return std::nullopt;
}

} // namespace

std::variant<RunOptions, std::string> parse_run_options(std::span<const char *const> words) {
    Parser parser;
    Words cursor(words);
    bool options_done = false;
    while (!cursor.done()) {
        const std::string_view word = cursor.take();
        std::optional<std::string> error;
        if (!options_done && word == "--")
            options_done = true;
        else if (!options_done && word.size() > 1 && word[0] == '-')
            error = parser.option(word, cursor);
        else {
            options_done = true;
            error = parser.positional(word);
        }
        if (error) return *error;
        if (parser.options.help) return parser.options;
    }
    if (!parser.have_text && !parser.have_program)
        return std::string("no program given: name a file, use -e TEXT, or - for standard input");
    return parser.options;
}

} // namespace vornmac::tool
