#include "stmt/console_statements.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "platform/console.hpp"
#include "vars/name_compare.hpp"

#include <string>

namespace vornmac {

namespace {
constexpr size_t typed_line_limit = 199; // the rest of a longer line is read by the next %input

std::string cut_at_white(const char *text) {
    std::string name = text;
    for (size_t i = 0; i < name.size(); ++i)
        if (is_white(static_cast<unsigned char>(name[i]))) return name.substr(0, i);
    return name;
}

// The next word of the line from `at`: a quoted word keeps its quotes, any other runs to
// the next blank. `at` ends up just after the word.
std::string next_word(ParserContext &context, const std::string &line, size_t &at) {
    while (at < line.size() && line[at] == ' ')
        ++at;
    const size_t start = at;
    if (at < line.size() && line[at] == '\'') {
        const size_t close = line.find('\'', at + 1);
        if (close == std::string::npos) {
            context.errors.raise(error::input_quote_not_closed, {line.c_str()});
            at = line.size();
        } else {
            at = close + 1;
        }
        return line.substr(start, at - start);
    }
    while (at < line.size() && line[at] != ' ')
        ++at;
    return line.substr(start, at - start);
}
} // namespace

void input_statement(ParserContext &context, int16_t) {
    Scanner &scanner = context.scanner;
    InputStack &in = context.input;
    VarStore &vars = context.vars;
    scanner.next_token(0);
    std::string line;
    platform::read_console_line(line, typed_line_limit);
    if (vars.optstring("_macroinput")[0] != 'y') {
        // The line is read as program text; the rest of the statement follows it.
        in.reread_text(in.top, nullptr, 0, in.live.line, in.live.column, line);
        return;
    }
    if (!line.empty() && line.back() == '\n') line.pop_back();
    size_t at = 0;
    while (scanner.next_token_text[0] != ';') {
        const std::string name = cut_at_white(scanner.next_token_text);
        const std::string word = next_word(context, line, at);
        vars.save(vars.current_level, name.c_str(), word.c_str());
        scanner.next_token(0);
    }
    vars.save(-1, "_percentinput", line.substr(at).c_str());
}

void display_statement(ParserContext &context, int16_t) {
    Scanner &scanner = context.scanner;
    for (;;) {
        scanner.next_token(0);
        if (scanner.next_token_text[0] == '\\') {
            // Escapes are not written; the token after them is written as it is.
            while (scanner.next_token_text[0] == '\\')
                scanner.next_token(0);
        } else if (scanner.next_token_text[0] == ';') {
            platform::write_console("\n");
            break;
        }
        platform::write_console(scanner.next_token_text);
    }
    platform::flush_console();
}

void writefile_statement(ParserContext &context, int16_t) {
    Scanner &scanner = context.scanner;
    std::string joined;
    for (scanner.scan_token(0, 0); scanner.next_token_text[0] != ';'; scanner.scan_token(0, 0))
        joined += scanner.next_token_text;
    context.vars.save(-1, "_writefile", joined.c_str());
}

} // namespace vornmac
