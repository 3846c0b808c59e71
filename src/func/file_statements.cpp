#include "func/file_statements.hpp"

#include "func/file_name.hpp"
#include "host/parser_context.hpp"
#include "platform/file_deletion.hpp"

#include <string>

namespace vornmac {

namespace {
enum class Cleaning { keep_markers, clean };

// The tokens from the scanner's next token up to the ending ";", which is left in the
// next token.
std::string file_name_up_to_semicolon(ParserContext &context, Cleaning cleaning) {
    Scanner &scanner = context.scanner;
    std::string name;
    while (scanner.next_token_text[0] != ';') {
        if (cleaning == Cleaning::clean) clean_text(scanner.next_token_text);
        name += scanner.next_token_text;
        scanner.scan_token(0, 0);
    }
    return file_name_from_text(name);
}

void choose_put_file(ParserContext &context, const char *mode) {
    context.scanner.scan_token(0, 0);
    if (context.scanner.next_token_text[0] == ';') {
        context.put_file.switch_to_log();
        return;
    }
    const std::string name = file_name_up_to_semicolon(context, Cleaning::keep_markers);
    context.put_file.switch_to_file(name, mode);
}
} // namespace

void file_statement(ParserContext &context, int16_t) {
    choose_put_file(context, "w");
}

void fileappend_statement(ParserContext &context, int16_t) {
    choose_put_file(context, "a");
}

void delete_statement(ParserContext &context, int16_t) {
    context.scanner.scan_token(0, 0);
    const std::string name = file_name_up_to_semicolon(context, Cleaning::clean);
    platform::delete_file(name.c_str());
}

} // namespace vornmac
