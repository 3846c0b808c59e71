// A loop is not run by a loop in the library. Its body is copied once, framed by a loop
// header in front and "%doend## " behind, and handed back to the scanner as a text source.
// Reading the header tests the loop (and steps its counter); %doend rewinds the text to its
// start; a failed test drops the text, and reading goes on after the loop. Nesting loops is
// nesting input sources.
//
// The plain block %do; ... %end; is read in place: its %end; does nothing.
#include "stmt/do_statement.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "stmt/statement_tokens.hpp"

namespace vornmac {

void do_statement(ParserContext &context, int16_t /*index*/) {
    ExpansionOff off(context);
    const char *token = take_token(context);
    if (begins_with(token, '%')) {
        const char *word = take_token(context);
        if (is_word(word, "while"))
            while_loop_setup(context, off);
        else if (is_word(word, "switch") || is_word(word, "select"))
            selection(context, off);
        else
            context.errors.raise(error::unknown_do_form, {word});
        return;
    }
    off.restore();
    if (begins_with(token, ';')) return;
    if (begins_with(token, '#'))
        counted_loop_step(context);
    else
        counted_loop_setup(context);
}

void end_statement(ParserContext &context, int16_t /*index*/) {
    take_token(context);
}

void doend_statement(ParserContext &context, int16_t /*index*/) {
    if (!pass_by_record(context)) context.input.rewind();
}

void leave_loop(ParserContext &context, int16_t loop_slot) {
    InputStack &in = context.input;
    while (in.top >= loop_slot && in.top >= 0)
        in.pop();
    in.resume();
}

} // namespace vornmac
