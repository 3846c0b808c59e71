#include "stmt/dispatch.hpp"

#include "error/error_numbers.hpp"
#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "macro/macro_invocation.hpp"
#include "stmt/keyword_table.hpp"

#include <array>
#include <cstring>
#include <string>

namespace vornmac {

namespace {

// The command variable that `text` reads before anything else, or 0: the digit of a text
// that begins, after the white space the scanner skips after a statement, with "%sys_c"
// and a digit 1 to 5.
char command_read_first(const char *text) {
    while (is_white(static_cast<unsigned char>(*text)))
        ++text;
    return std::strncmp(text, "%sys_c", 6) == 0 && text[6] >= '1' && text[6] <= '5' ? text[6]
                                                                                    : '\0';
}

std::string command_variable(char digit) {
    return std::string("sys_c") + digit;
}

// The depth at which reading command variable `digit` would read again, before any token,
// a command variable that the present chain of substitutions reads already: one that
// encloses it, or one of the texts that begin by reading the next, this one included. 0
// when there is none.
//
// Such a cycle is refused before it is pushed. A command variable's name is "sys_c" and
// the digit, whatever follows, so a text that ends in "%sys_cD" takes the word after it
// into that name, from the text below: each pass of the cycle would read one more word of
// the program as a name, eating the program instead of nesting to the bound that stops
// other reference cycles.
int16_t cycle_depth(ParserContext &context, char digit) {
    const InputStack &in = context.input;
    std::array<bool, 10> read_first{};
    int16_t depth = in.next_substitution_depth();
    for (char next = digit; next != '\0'; ++depth) {
        bool &seen = read_first[static_cast<size_t>(next - '0')];
        if (seen || in.encloses_command(next)) return depth;
        seen = true;
        next = command_read_first(context.vars.optstring(command_variable(next).c_str()));
    }
    return 0;
}

// %sys_c1 to %sys_c5: the command variable's text is read as program input.
void read_command_variable(ParserContext &context, const char *name) {
    if (name[4] != 'c') {
        context.errors.raise(error::not_a_command_variable);
        return;
    }
    if (name[5] < '1' || name[5] > '5') {
        context.errors.raise(error::command_digit_out_of_range);
        return;
    }
    const std::string variable = command_variable(name[5]);
    InputStack &in = context.input;
    if (const int16_t depth = cycle_depth(context, name[5]); depth != 0) {
        in.refuse_cycle(name, depth);
        return;
    }
    in.substitute(
        name,
        [&] {
            in.save();
            in.push_text(name, context.vars.optstring(variable.c_str()), 0);
        },
        name[5]);
}
} // namespace

void dispatch_keyword(ParserContext &context, const char *name, uint32_t hash) {
    // Handlers run inside the scan that met their keyword and scan on themselves, so
    // statements written inside statements nest on the stack.
    const NestingLevel level(context.nesting.dispatch);
    if (level.beyond(NestingDepths::dispatch_bound)) {
        // The word is consumed and nothing runs; the text after it is read as it stands.
        context.errors.raise(error::nested_too_deep,
                             {static_cast<int>(NestingDepths::dispatch_bound)});
        return;
    }
    const int16_t index = find_keyword(name, hash);
    if (index < 0) {
        handle_undefined_word(context, name);
        return;
    }
    const Keyword &keyword = keyword_table()[static_cast<size_t>(index)];
    // A statement reads up to its ";", a function up to the ")" of its arguments.
    const OpenConstruct open(context, OpenAt::trigger(context), "%", keyword.name,
                             keyword.statement ? "" : "(", keyword.statement ? ";" : ")");
    const int kind = keyword.statement ? VORNMAC_TRACE_STATEMENT : VORNMAC_TRACE_FUNCTION;
    run_traced(context, kind, keyword.name, [&] {
        if (keyword.handler != nullptr) keyword.handler(context, index);
    });
}

void handle_undefined_word(ParserContext &context, const char *name) {
    // The "sys_" test is case-sensitive: %SYS_c1 is a macro call.
    if (name[0] != 's' || std::strncmp(name, "sys_", 4) != 0) {
        invoke_macro(context, name);
        return;
    }
    run_traced(context, VORNMAC_TRACE_COMMAND_VARIABLE, name,
               [&] { read_command_variable(context, name); });
}

} // namespace vornmac
