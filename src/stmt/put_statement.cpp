// %put writes the tokens up to its ";" (a ";" inside a quoted stretch does not count) as
// one line to the put file, each token with its white space, markers dropped and other
// control characters shown as blanks, then a carriage return and line feed, and flushes
// the file so the line is there at once.
//
// %* reads up to the first ";" with expansion off, so nothing inside the comment runs.
#include "stmt/put_statement.hpp"

#include "host/parser_context.hpp"
#include "input/text_chain.hpp"
#include "stmt/statement_tokens.hpp"

#include <cstring>

namespace vornmac {

void put_statement(ParserContext &context, int16_t /*index*/) {
    // The file is asked for again at each write: text in the statement may choose another.
    const bool writable = context.put_file.file() != nullptr;
    int depth = 0;
    for (const char *token = take_token(context); depth != 0 || !begins_with(token, ';');
         token = take_token(context)) {
        // A marker without its code, at the very end of a text, does not count here.
        if (!is_marker(token) || marker_code(token) >= 1) depth += quoting_step(token);
        if (!writable) continue;
        char shown[token_size];
        std::strcpy(shown, token);
        clean_text(shown);
        if (BufferedFile *out = context.put_file.file()) out->write_string(shown);
    }
    if (!writable) return;
    if (BufferedFile *out = context.put_file.file()) {
        out->write_line_end();
        out->flush();
    }
}

void comment_statement(ParserContext &context, int16_t /*index*/) {
    ExpansionOff off(context);
    while (!begins_with(take_token(context), ';')) {
    }
}

} // namespace vornmac
