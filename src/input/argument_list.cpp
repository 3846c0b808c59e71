#include "input/argument_list.hpp"

#include "error/error_numbers.hpp"
#include "func/evaluator.hpp"
#include "host/parser_context.hpp"
#include "input/lexer.hpp"
#include "input/text_chain.hpp"
#include "input/tokens_in_view.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <cstring>

namespace vornmac {

namespace {
// A run stops before what a plain token cannot take (see CharClass::acting): the scanner does
// more with it than put it into a token.
[[gnu::always_inline]] inline bool ends_run(char c, std::string_view enders) {
    if (char_classes[static_cast<unsigned char>(c)] == CharClass::acting) return true;
    for (const char ender : enders)
        if (c == ender) return true;
    return false;
}

// The run of `ready`, which does not end at its first character. Out of line: mostly the
// argument ends or something acts right after the token, and that test is all PlainRun::take
// does.
[[gnu::noinline]] bool take_run(ParserContext &context, std::string &text, std::string_view ready,
                                std::string_view enders, size_t limit) {
    InputStack &in = context.input;
    size_t end = 1;
    while (end < ready.size() && !ends_run(ready[end], enders))
        ++end;
    // A word runs on into a reference right after it, and one that reaches the end of what
    // is ready may do so: its tokens decide.
    if (end == ready.size() || ready[end] == '&')
        while (end > 0 && is_name_char(static_cast<unsigned char>(ready[end - 1])))
            --end;
    if (end == 0 || text.size() + end > limit) return false;
    const size_t start = text.size();
    text.append(ready.data(), end);
    if (context.flags.upper_case)
        for (size_t i = start; i < text.size(); ++i)
            text[i] = static_cast<char>(fold_name_char(static_cast<unsigned char>(text[i])));
    // Line by line: a line feed counts a line, and the column starts again after it.
    for (std::string_view rest = ready.substr(0, end); !rest.empty();) {
        const size_t feed = rest.find('\n');
        const size_t count = feed == std::string_view::npos ? rest.size() : feed + 1;
        in.take(count);
        if (feed != std::string_view::npos) {
            in.live.column = 0;
            ++in.live.line;
        }
        rest.remove_prefix(count);
    }
    in.token_completed();
    return true;
}
} // namespace

bool PlainRun::take(ParserContext &context, std::string &text, std::string_view enders,
                    size_t limit) {
    const InputStack &in = context.input;
    if (!in.fast_paths.plain_runs) return false;
    const std::string_view ready = in.ready();
    if (ready.empty() || ends_run(ready[0], enders)) return false;
    return take_run(context, text, ready, enders, limit);
}

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
    // Mostly "(" and the argument's first token, both plain and in view.
    TokensInView tokens(context_);
    tokens.next();
    const bool opened = token_begins_with(context_, '(');
    if (!opened) {
        tokens.settle();
        std::vector<ErrorArg> args{label_, token_text(context_)};
        args.insert(args.end(), open_error_extra);
        context_.errors.raise(open_error, std::move(args));
    }
    if (start == Start::first_argument || (start == Start::found_token_first && opened))
        tokens.next();
    tokens.settle();
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
    return eval_integer(context_);
}

bool ArgumentList::next_argument() {
    if (ended()) return false;
    advance(context_);
    return true;
}

void ArgumentList::deliver(const std::string &result) {
    // Raised before the push: an error unwinds the input stack, which would drop it.
    if (too_long_) context_.errors.raise(error::text_too_long, {label_});
    static const std::string nothing;
    InputStack &in = context_.input;
    in.reread_text(in.top, nullptr, trailing_blanks(token_text(context_)), in.live.line,
                   in.live.column, too_long_ ? nothing : result);
}

} // namespace vornmac
