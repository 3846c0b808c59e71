#include "input/argument_list.hpp"

#include "func/evaluator.hpp"
#include "func/expression_values.hpp"
#include "host/parser_context.hpp"
#include "input/text_chain.hpp"

#include <cstring>

namespace vornmac {

const char *token_text(ParserContext &context) {
    return context.scanner.next_token_text;
}

bool token_begins_with(ParserContext &context, char c) {
    return context.scanner.next_token_text[0] == c;
}

void advance(ParserContext &context) {
    context.scanner.scan_token(0, 0);
}

std::string cleaned_text(const char *text) {
    std::string copy = text;
    clean_text(copy.data());
    copy.resize(std::strlen(copy.c_str()));
    return copy;
}

ArgumentList::ArgumentList(ParserContext &context, int16_t open_error, const char *label,
                           Start start, std::initializer_list<ErrorArg> open_error_extra)
    : context_(context), label_(label) {
    advance(context_);
    const bool opened = token_begins_with(context_, '(');
    if (!opened) {
        std::vector<ErrorArg> args{label_, token_text(context_)};
        args.insert(args.end(), open_error_extra);
        context_.errors.raise(open_error, std::move(args));
    }
    if (start == Start::first_argument || (start == Start::found_token_first && opened))
        advance(context_);
}

bool ArgumentList::ended() {
    return token_begins_with(context_, ')');
}

void ArgumentList::append(TextChain &chain, const char *text) {
    if (!chain.append(text)) too_long_ = true;
}

void ArgumentList::each_token(bool last, const std::function<void(const char *token)> &take) {
    while (!ended() && (last || !token_begins_with(context_, ','))) {
        take(token_text(context_));
        advance(context_);
    }
}

std::string ArgumentList::collect(TokenForm form, bool last) {
    TextChain chain(context_.segments);
    each_token(last, [&](const char *token) {
        if (form == TokenForm::raw)
            append(chain, token);
        else if (form == TokenForm::cleaned)
            append(chain, cleaned_text(token).c_str());
        else
            append(chain, context_.vars.optstring(cleaned_text(token).c_str()));
    });
    return chain.text();
}

int32_t ArgumentList::number() {
    return number_value(context_, cleaned_text(eval_expression(context_).c_str()).c_str());
}

bool ArgumentList::next_argument() {
    if (ended()) return false;
    advance(context_);
    return true;
}

void ArgumentList::deliver(const std::string &result) {
    // Raised before the push: an error unwinds the input stack, which would drop it.
    if (too_long_) context_.errors.raise(argument_too_long, {label_});
    InputStack &in = context_.input;
    in.reread_text(in.top, nullptr, trailing_blanks(token_text(context_)), in.line, in.column,
                   too_long_ ? std::string() : result);
}

} // namespace vornmac
