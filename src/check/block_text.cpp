// Text inside blocks: what a token that is not a `%` word does to the innermost block,
// parentheses in conditions, headers, branches and function calls, and quotes.
#include "check/file_check.hpp"
#include "check/token_text.hpp"

#include <algorithm>

namespace vornmac::check {

namespace {

bool is_number(std::string_view text) {
    text = trimmed(text);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

void FileCheck::on_text(const Token &token) {
    const char first = first_of(token);
    if (expect_paren_) {
        const Frame function = *expect_paren_;
        expect_paren_.reset();
        if (first == '(') {
            push(function);
            stack_.back().depth = 1;
            return;
        }
        error(function.at, "%" + function.name + " must be followed by (",
              "function-without-paren");
    }
    if (expect_bracket_) {
        const Frame call_frame = *expect_bracket_;
        expect_bracket_.reset();
        const bool has_parameters =
            call_frame.shape->positional + call_frame.shape->named.size() > 0;
        if (first == '[' && has_parameters) {
            push(call_frame);
            return;
        }
        if (first == '[' && expect_bracket_joined_)
            error(token.start,
                  "the macro " + call_frame.name +
                      " has no parameters: this [ is text after its body",
                  "too-many-arguments");
    }
    if (after_end_) {
        after_end_ = false;
        if (first == ';') {
            if (!top_is(Block::if_branch)) return;
        } else {
            error(token.start, "%end must be followed by ;", "end-without-semicolon");
        }
    }
    if (first == '\'' && token.kind == TokenKind::other) in_quotes_ = !in_quotes_;
    if (first == ';') set_first_ = set_list_ = set_env_list_ = false;
    note_set_name(token);
    while (text_in_frame(token)) {
    }
}

// What a token of text does to the innermost block; true when it must be seen again by the
// block below, which the innermost one has handed it to.
bool FileCheck::text_in_frame(const Token &token) {
    Frame *frame = top();
    if (frame == nullptr) return false;
    const char first = first_of(token);
    switch (frame->block) {
    case Block::if_condition:
        if (first == ';' && frame->depth == 0) {
            error(frame->at, "%if without %then", "if-without-then");
            stack_.pop_back();
            return false;
        }
        expression_token(*frame, token);
        return false;
    case Block::do_header:
        switch (frame->state) {
        case first_token:
            if (first == ';' || first == '#') {
                frame->block = Block::plain_do;
                settle();
            } else {
                if (token.kind == TokenKind::word)
                    state_.set_variables.insert(fold_name(std::string(trimmed(token.text))));
                frame->state = expect_equals;
            }
            return false;
        case expect_equals:
            if (first == '=') {
                frame->state = counted;
            } else {
                error(token.start,
                      "the loop variable of %do must be followed by =", "do-without-equals");
                stack_.pop_back();
            }
            return false;
        default:
            if (first == ';') {
                if (frame->depth != 0)
                    error(frame->at, "the parentheses of the %do header do not balance",
                          "unbalanced-parens");
                const bool select = frame->state == select_header;
                *frame = opened(select ? Block::select : Block::loop, frame->at);
                settle();
                return false;
            }
            expression_token(*frame, token);
            return false;
        }
    case Block::if_branch:
        frame->started = true;
        if (first == '(') ++frame->depth;
        if (first == ')' && frame->depth > 0) --frame->depth;
        if (first == ';' && frame->depth == 0) end_branch();
        return false;
    case Block::if_after_then:
        white_after_branch_ = starts_white(token);
        stack_.pop_back();
        statement_done();
        return true;
    case Block::select:
        if (!frame->broken) {
            error(token.start,
                  starts_white(token)
                      ? "a %do %select may hold only %case and %otherwise branches: blanks that "
                        "begin a line between them are read as a branch"
                      : "a %do %select may hold only %case and %otherwise branches",
                  "select-branch");
            frame->broken = true;
        }
        return false;
    case Block::select_branch:
        if (first == ';') frame->started = true;
        return false;
    case Block::function_args:
        if (first == '(') ++frame->depth;
        if (first == ')' && --frame->depth == 0) stack_.pop_back();
        return false;
    case Block::call_args:
        call_argument(*frame, token);
        return false;
    default:
        return false;
    }
}

// A token of a condition or a loop header, which the library evaluates: a line that begins
// with white space after a number or ")" ends the expression there.
void FileCheck::expression_token(Frame &frame, const Token &token) {
    const char first = first_of(token);
    if (starts_white(token)) {
        if (frame.after_operand)
            error(token.start,
                  "the " +
                      std::string(frame.block == Block::if_condition ? "condition" : "expression") +
                      " goes on on an indented line: the blanks that begin it end the expression",
                  "indented-continuation");
        return;
    }
    if (first == '(') ++frame.depth;
    if (first == ')') {
        if (frame.depth == 0)
            error(token.start, "this ) closes no (", "unbalanced-parens");
        else
            --frame.depth;
    }
    frame.after_operand = first == ')' || (token.kind == TokenKind::word && is_number(token.text));
}

} // namespace vornmac::check
