// The keywords that open and close blocks: %if, %then, %else, %do, %end, %* and the
// rest of the keyword table, and how an %if branch ends.
#include "check/file_check.hpp"
#include "check/token_text.hpp"
#include "stmt/keyword_table.hpp"
#include "vars/name_compare.hpp"

namespace vornmac::check {

// The keyword a name is, or -1.
int keyword_index(const std::string &name) {
    const auto &table = keyword_table();
    for (size_t i = 0; i < table.size(); ++i)
        if (name_compare(name.c_str(), table[i].name) == 0) return static_cast<int>(i);
    return -1;
}

void FileCheck::keyword(int index, const std::string &name, Position at) {
    const Keyword &entry = keyword_table()[static_cast<size_t>(index)];
    if (name == "if") {
        push({Block::if_condition, at});
    } else if (name == "then") {
        Frame *frame = top();
        if (frame == nullptr || frame->block != Block::if_condition) {
            error(at, "%then without %if", "stray-then");
            return;
        }
        if (frame->depth != 0)
            error(frame->at, "the parentheses of the %if condition do not balance",
                  "unbalanced-parens");
        *frame = opened(Block::if_branch, frame->at);
        settle();
    } else if (name == "else") {
        Frame *frame = top();
        if (frame == nullptr || frame->block != Block::if_after_then) {
            error(at,
                  white_after_branch_
                      ? "%else on an indented line: the blanks before it end the %if, so it "
                        "belongs to none"
                      : "%else without a preceding %if ... %then ...;",
                  "stray-else");
            white_after_branch_ = false;
            return;
        }
        *frame = opened(Block::if_branch, frame->at);
        frame->is_else = true;
        settle();
    } else if (name == "do") {
        push({Block::do_header, at});
    } else if (name == "end") {
        close_block_at_end(at);
    } else if (name == "doend" || name == "dowhile") {
        error(at,
              "%" + name + " is written by the library into loop copies; in a program it " +
                  (name == "doend" ? "reads the text again from its start"
                                   : "ends the text it stands in"),
              "internal-keyword");
    } else if (name == "macro") {
        macro_header(at);
    } else if (name == "*") {
        comment_statement();
    } else if (!entry.statement && entry.handler != nullptr) {
        expect_paren_ = opened(Block::function_args, at, name);
    } else {
        sets_names(name);
    }
}

// %end closes the innermost block; blocks that cannot close there are left open.
void FileCheck::close_block_at_end(Position at) {
    for (auto frame = stack_.rbegin(); frame != stack_.rend(); ++frame) {
        const Block block = frame->block;
        if (block == Block::macro_body) break;
        if (block == Block::plain_do || block == Block::loop || block == Block::select ||
            block == Block::select_branch) {
            while (stack_.back().block != block || &stack_.back() != &*frame) {
                const Block above = stack_.back().block;
                if (above == Block::function_args || above == Block::call_args ||
                    above == Block::if_condition)
                    report_unclosed(stack_.back());
                stack_.pop_back();
            }
            stack_.pop_back();
            after_end_ = true;
            return;
        }
    }
    error(at, "%end without an open %do", "stray-end");
}

// %* ... ; reads up to its ";" with nothing acted on; quotes switch all the same.
void FileCheck::comment_statement() {
    for (;;) {
        const Token token = take(false);
        if (token.kind == TokenKind::end) return;
        if (first_of(token) == '\'') in_quotes_ = !in_quotes_;
        if (first_of(token) == ';') {
            pending_ = token;
            return;
        }
    }
}

void FileCheck::end_branch() {
    for (;;) {
        Frame branch = stack_.back();
        stack_.pop_back();
        if (!branch.is_else) {
            push(opened(Block::if_after_then, branch.at));
            return;
        }
        if (!top_is(Block::if_branch) || !stack_.back().nested_if) return;
    }
}

// An %if is complete: when it was the statement of an outer branch, that branch ends too.
void FileCheck::statement_done() {
    if (top_is(Block::if_branch) && stack_.back().nested_if) end_branch();
}

} // namespace vornmac::check
