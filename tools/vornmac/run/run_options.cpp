#include "run/run_options.hpp"

#include "common/command_line.hpp"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string_view>

namespace vornmac::tool {

namespace {

constexpr const char run_notes[] =
    R"(PROGRAM is a file; with -e the program is TEXT; with - it is read from standard input:
typed at a terminal with a prompt for each line, or taken whole from a pipe or a redirect
and run as a file is. The ARGs reach the program as the variables argc and argv1, argv2,
..., even those that begin with "-". Option values may also be written --home=DIR or
-DNAME=VALUE; "--" ends the options, so a program whose name begins with "-" can follow.

Errors are reported on standard error as WHERE:LINE:COLUMN: ERROR #N : message, WHERE
being the file, %MACRO or &VARIABLE that holds the failing token, followed by a line
"  called from WHERE:LINE:COLUMN" for each source it was reached through.
Exit status: 0 without errors, 1 when errors were reported, 2 when the program could
not be run (bad command line, start-up failure, or the library could not go on).
)";

// What a variable of the store can hold, and the longest name an &name reference reads
// (a name the variable file cannot keep is still a variable of the run).
constexpr size_t longest_value = 65534;
constexpr size_t longest_name = 198;

// A name that an &name reference can read: letters, digits, "_" and bytes of 128 and
// above, as the language reads names.
bool referable_name(std::string_view name) {
    if (name.empty() || name.size() > longest_name) return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool letter = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
        if (!letter && !(byte >= '0' && byte <= '9') && byte != '_' && byte < 128) return false;
    }
    return true;
}

// -D NAME=VALUE, or -D NAME for the empty text, as m4 has it.
Assignment define_of(const std::string &word) {
    const size_t equals = word.find('=');
    Assignment define{word.substr(0, equals),
                      equals == std::string::npos ? "" : word.substr(equals + 1)};
    if (!referable_name(define.name))
        throw CLI::ValidationError(
            "-D", "\"" + define.name +
                      "\" is no variable name a program could reference: names are 1 to 198 "
                      "letters, digits and _");
    if (define.value.size() > longest_value)
        throw CLI::ValidationError("-D", "the value of " + define.name + " is " +
                                             std::to_string(define.value.size()) +
                                             " characters long; at most 65534 are allowed");
    return define;
}

// Each --trace gave "*" (everything) or a list NAME,NAME,...: the names to trace, none for
// everything.
void settle_trace(RunOptions &options) {
    options.trace = !options.trace_names.empty();
    std::vector<std::string> names;
    for (const std::string &given : options.trace_names) {
        if (given == "*") {
            options.trace_names.clear();
            return;
        }
        std::istringstream words(given);
        for (std::string name; std::getline(words, name, ',');)
            if (!name.empty()) names.push_back(name);
    }
    options.trace_names = std::move(names);
}

// Settles where the program comes from once all words are read: -e's text makes the first
// positional word an argument, otherwise that word names the program.
void settle_program(RunOptions &options, const CLI::Option &text, const CLI::Option &program) {
    const bool has_program_word = program.count() > 0;
    if (text.count() > 0) {
        options.source = ProgramSource::text;
        if (has_program_word)
            options.arguments.insert(options.arguments.begin(), program.results()[0]);
    } else if (!has_program_word) {
        throw CLI::RequiredError("PROGRAM (a file, -e TEXT, or - for standard input)");
    } else if (program.results()[0] == "-") {
        options.source = ProgramSource::terminal;
    } else {
        options.program = program.results()[0];
    }
    if (options.arguments.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max()))
        throw CLI::ValidationError("ARG", "too many program arguments");
}

} // namespace

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

void declare_run_options(CLI::App &run, RunOptions &options) {
    describe_command(
        run,
        {"[OPTION...] PROGRAM [ARG...]", "[OPTION...] -e TEXT [ARG...]", "[OPTION...] - [ARG...]"},
        run_notes);
    // Every word after the first positional one belongs to the program.
    run.positionals_at_end();
    CLI::Option *defines =
        run.add_option("-D", "set the global macro variable NAME to VALUE (to the empty text "
                             "without =) before the program starts (repeatable)")
            ->type_name("NAME[=VALUE]")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->allow_extra_args(false);
    CLI::Option *text =
        run.add_option("-e", options.program, "run the program TEXT")->type_name("TEXT");
    run.add_option("-o", options.output_file,
                   "write the output to FILE instead of standard output (- is standard output)")
        ->type_name("FILE");
    run.add_flag("--tokens", options.tokens,
                 "write each token as the library hands it over (white space inside it blanked), "
                 "one per line, instead of the program text");
    run.add_flag_callback(
        "--no-echo", [&options] { options.echo = false; },
        "keep the program text out of the log; errors and their input traces still go there");
    run.add_flag(
        "--trace{*}", options.trace_names,
        "write a line to standard error for each statement, function, macro call and &name "
        "reference the program runs, with where it stood and the text it gave; "
        "--trace=NAME,... only for the named keywords, macros and variables");
    run.add_flag_callback(
        "--no-save", [&options] { options.save = false; },
        "read the variable file but leave it as it was: nothing the run sets is kept");
    run.add_flag_callback(
        "--no-log", [&options] { options.log = false; }, "append nothing to the log");
    run.add_option("-I", options.program_folder,
                   "the folder where program files are looked for, the main program's and "
                   "those of %include and %goto (sets _pathprg)")
        ->type_name("DIR");
    run.add_option("--home", options.home,
                   "the vornmac home (default: $VORNMAC_HOME, else ~/.vornmac); it is created "
                   "with a default variable file and message file when missing")
        ->type_name("DIR");
    run.add_option("--options", options.options_file,
                   "the variable (options) file (default: vorn_opt.dat in the home)")
        ->type_name("FILE");
    run.add_option("--log", options.log_file,
                   "the log file (default: the _logfile variable, else vorntool.log in the "
                   "home); - is standard error")
        ->type_name("FILE");
    run.add_option("--module", options.module_name, "the module name that errors are reported for")
        ->type_name("NAME");
    CLI::Option *program =
        run.add_option("PROGRAM",
                       "the program file, or - for standard input (with -e: the first ARG)")
            ->type_name("");
    run.add_option("ARG", options.arguments, "the program's arguments, passed on as they stand")
        ->type_name("");
    run.callback([&options, defines, text, program] {
        for (const std::string &word : defines->results())
            options.defines.push_back(define_of(word));
        settle_program(options, *text, *program);
        if (options.output_file == "-") options.output_file.reset();
        if (options.program_folder && !options.program_folder->empty() &&
            !options.program_folder->ends_with('/'))
            *options.program_folder += '/';
        settle_trace(options);
    });
}

} // namespace vornmac::tool
