// The token loop of one file: what is read with `%` and `&` acting or off, comments, and
// the findings, including the blocks left open at the end.
#include "check/file_check.hpp"
#include "check/token_text.hpp"

namespace vornmac::check {

namespace {

// "/*" (blanks may stand between) and then "*/" after that asterisk.
bool comment_closed(std::string_view comment) {
    const size_t opening = comment.find('*');
    return opening != std::string_view::npos &&
           comment.find("*/", opening + 1) != std::string_view::npos;
}

// A `%` with white space after it, as read where `%` acts (all the white space taken), is
// one token for a macro definition too, which reads with `%` off and ends a token at its
// first line feed: then the word after it follows directly.
bool read_whole_by_definition(std::string_view percent) {
    const size_t line_feed = percent.find('\n');
    return percent.size() > 1 &&
           (line_feed == std::string_view::npos || line_feed + 1 == percent.size());
}

} // namespace

Token FileCheck::take(bool triggers_act) {
    if (pending_) {
        Token token = *pending_;
        pending_.reset();
        return token;
    }
    Token token = lexer_.next(triggers_act, 0);
    while (token.kind == TokenKind::comment) {
        if (!comment_closed(token.text))
            error(token.start, "a comment without its */ takes the rest of the input",
                  "unclosed-comment");
        token = lexer_.next(triggers_act, 0);
    }
    return token;
}

// The innermost block was opened or changed: what it inherits from the one around it.
void FileCheck::settle() {
    Frame &frame = stack_.back();
    const Frame *around = stack_.size() > 1 ? &stack_[stack_.size() - 2] : nullptr;
    const bool body = frame.block == Block::macro_body;
    frame.copy = !body && (rule_of(frame.block).copied || (around != nullptr && around->copy));
    frame.in_body = body || (around != nullptr && around->in_body);
}

void FileCheck::report(Position at, Severity severity, std::string message, const char *name) {
    state_.findings[file_].push_back(
        {state_.files[file_], at.line, at.column, severity, std::move(message), name});
}

void FileCheck::report_unclosed(const Frame &frame) {
    const BlockRule &rule = rule_of(frame.block);
    if (rule.missing_name == nullptr) return;
    std::string message = rule.missing_message;
    if (frame.block == Block::function_args)
        message = "the parentheses of %" + frame.name + " do not balance: its ( has no )";
    if (frame.block == Block::macro_body) message += ": " + frame.name;
    error(frame.at, message, rule.missing_name);
}

void FileCheck::run() {
    for (;;) {
        const bool copy = copying();
        const bool triggers_act = !copy && (!in_quotes_ || in_body());
        const Token token = take(triggers_act);
        if (token.kind == TokenKind::end) break;
        if (token.kind == TokenKind::trigger) {
            on_trigger(token);
            continue;
        }
        if (token.kind == TokenKind::other && first_of(token) == '%' &&
            (copy || (in_body() && read_whole_by_definition(token.text)))) {
            on_percent_token(token);
            continue;
        }
        if (copy && token.kind == TokenKind::other && token.text == "&" && !in_quotes_) {
            Token word = take(false);
            if (word.text == "&") {
                // &&name: the name is read again after the ampersands are paired; not checked.
                while (word.text == "&")
                    word = take(false);
                if (word.kind != TokenKind::word) pending_ = word;
                continue;
            }
            if (word.kind == TokenKind::word)
                reference(std::string(trimmed(word.text)), token.start);
            pending_ = word;
            continue;
        }
        on_text(token);
    }
    if (expect_paren_)
        error(expect_paren_->at, "%" + expect_paren_->name + " without its (",
              "function-without-paren");
    for (const Frame &frame : stack_) {
        if (frame.block == Block::if_after_then)
            warning(frame.at,
                    "%if at the very end of the input is dropped: reading on for %else ends the "
                    "program",
                    "dropped-at-end");
        else
            report_unclosed(frame);
    }
}

} // namespace vornmac::check
