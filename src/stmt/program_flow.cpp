#include "stmt/program_flow.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "macro/macro_invocation.hpp"
#include "stmt/command_condition.hpp"
#include "stmt/program_file.hpp"
#include "vars/name_compare.hpp"

#include <string>

namespace vornmac {

namespace {
enum class FileAction { include, go_to, skip };

// Reads the statement up to its ";"; the file name is the text up to the first white space.
void file_statement(ParserContext &context, FileAction action) {
    Scanner &scanner = context.scanner;
    std::string joined;
    for (scanner.next_token(0); scanner.next_token_text[0] != ';'; scanner.next_token(0))
        if (joined.size() < static_cast<size_t>(token_limit)) joined += scanner.next_token_text;
    if (action == FileAction::skip) return;
    size_t end = 0;
    while (end < joined.size() && !is_white(static_cast<unsigned char>(joined[end])))
        ++end;
    const std::string resolved = find_program_file(context, joined.substr(0, end));
    const ProgramFileKind kind = program_file_kind(resolved);
    if (kind != ProgramFileKind::regular) {
        // Only the main program may be a pipe or a terminal; an included FIFO would wait
        // for a writer for ever.
        context.errors.raise(kind == ProgramFileKind::missing ? error::program_file_missing
                                                              : error::program_file_not_regular,
                             {resolved.c_str()});
        return;
    }
    InputStack &in = context.input;
    if (action == FileAction::include)
        in.save();
    else
        in.drop();
    in.push_file(resolved);
}
} // namespace

void include_statement(ParserContext &context, int16_t) {
    file_statement(context, FileAction::include);
}

void goto_statement(ParserContext &context, int16_t) {
    file_statement(context, FileAction::go_to);
}

void include_if_statement(ParserContext &context, int16_t) {
    const bool holds = read_command_condition(context);
    file_statement(context, holds ? FileAction::include : FileAction::skip);
}

void goto_if_statement(ParserContext &context, int16_t) {
    const bool holds = read_command_condition(context);
    file_statement(context, holds ? FileAction::go_to : FileAction::skip);
}

void macro_if_statement(ParserContext &context, int16_t) {
    const bool holds = read_command_condition(context);
    Scanner &scanner = context.scanner;
    scanner.next_token(0);
    if (holds) {
        const std::string name = scanner.next_token_text;
        invoke_macro(context, name.c_str());
        return;
    }
    // A call that is not made still consumes its name, its [arguments] and the ";".
    scanner.scan_token(0, 0);
    if (scanner.next_token_text[0] == '[') {
        while (scanner.next_token_text[0] != ']')
            scanner.scan_token(0, 0);
        scanner.scan_token(0, 0);
    }
    if (scanner.next_token_text[0] != ';') context.errors.raise(error::skipped_call_not_ended);
}

} // namespace vornmac
