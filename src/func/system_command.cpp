#include "func/system_command.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "platform/process.hpp"
#include "stmt/statement_tokens.hpp"
#include "vars/name_compare.hpp"

#include <array>
#include <cstring>
#include <strings.h>

namespace vornmac {

namespace {
constexpr size_t max_command_length = 1000;

// Commands of the interpreter itself; each ends in the blank that must follow it.
constexpr std::array<const char *, 6> interpreter_commands = {"erase ", "delete ", "del ",
                                                              "copy ",  "dir ",    "chdir "};

bool starts_with_ignoring_case(const std::string &text, size_t at, const char *prefix) {
    const size_t length = std::strlen(prefix);
    return text.size() - at >= length && ::strncasecmp(text.c_str() + at, prefix, length) == 0;
}

size_t skip_blanks(const std::string &text, size_t at) {
    while (at < text.size() && text[at] == ' ')
        ++at;
    return at;
}

// The tokens up to the ending ";", cleaned and joined as the scanner delivers them.
std::string collect_command(ParserContext &context) {
    Scanner &scanner = context.scanner;
    std::string command;
    int depth = 0;
    scanner.scan_token(0, 0);
    while (depth != 0 || scanner.next_token_text[0] != ';') {
        char *token = scanner.next_token_text;
        depth += quoting_step(token);
        clean_text(token);
        if (command.size() + std::strlen(token) > max_command_length)
            context.errors.raise(error::command_too_long, {command.c_str()});
        else
            command += token;
        scanner.scan_token(0, 0);
    }
    return command;
}

bool waits_by_default(ParserContext &context) {
    const char *setting = context.vars.optstring("_system_default");
    return name_compare(setting, "nowait") != 0 && name_compare(setting, "/nowait") != 0;
}
} // namespace

SystemCommand read_system_options(const std::string &text) {
    SystemCommand result;
    size_t at = skip_blanks(text, 0);
    while (at < text.size() && text[at] == '/') {
        if (starts_with_ignoring_case(text, at, "/nowait")) {
            result.waiting = 0;
            at += 7;
        } else if (starts_with_ignoring_case(text, at, "/wait")) {
            result.waiting = 1;
            at += 5;
        } else if (starts_with_ignoring_case(text, at, "/dos")) {
            result.interpreter = true;
            at += 4;
        } else {
            break;
        }
        at = skip_blanks(text, at);
    }
    result.command = text.substr(skip_blanks(text, at));
    if (!result.interpreter)
        for (const char *word : interpreter_commands)
            if (starts_with_ignoring_case(result.command, 0, word)) result.interpreter = true;
    return result;
}

void system_statement(ParserContext &context, int16_t) {
    const SystemCommand command = read_system_options(collect_command(context));
    const bool wait = command.waiting == -1 ? waits_by_default(context) : command.waiting == 1;
    platform::run_command(command.command,
                          command.interpreter ? platform::Interpreter::shell
                                              : platform::Interpreter::none,
                          wait ? platform::Waiting::yes : platform::Waiting::no);
    // The command may have changed a library (a run of its own defined macros): the next
    // call looks at the files again, even within the same clock tick.
    if (wait) context.macros.expect_changes();
}

} // namespace vornmac
