#include "stmt/statement_tokens.hpp"

#include "host/parser_context.hpp"
#include "vars/name_compare.hpp"

namespace vornmac {

char *statement_token(ParserContext &context) {
    return context.scanner.next_token_text;
}

const char *take_token(ParserContext &context) {
    context.scanner.scan_token(0, 0);
    return context.scanner.next_token_text;
}

const char *take_name_token(ParserContext &context) {
    context.scanner.next_token(0);
    return context.scanner.next_token_text;
}

bool begins_with(const char *token, char c) {
    return token[0] == c;
}

bool is_lone(const char *token, char c) {
    return token[0] == c && token[1] == '\0';
}

bool is_word(const char *token, const char *word) {
    return name_compare(token, word) == 0;
}

bool is_marker(const char *token) {
    return static_cast<unsigned char>(token[0]) == marker_byte;
}

int marker_code(const char *token) {
    return static_cast<unsigned char>(token[1]);
}

int quoting_step(const char *token) {
    if (!is_marker(token)) return 0;
    return marker_code(token) % 2 == 1 ? 1 : -1;
}

ExpansionOff::ExpansionOff(ParserContext &context)
    : context_(context), saved_(context.scanner.triggers_active) {
    context_.scanner.triggers_active = false;
}

void ExpansionOff::restore() {
    if (restored_) return;
    restored_ = true;
    context_.scanner.triggers_active = saved_;
}

SourcePosition current_position(ParserContext &context) {
    return {context.input.live.line, context.input.live.column};
}

} // namespace vornmac
