// One program text, read from its start to its end, with the blocks it opens on a stack.
// The reading is split by concern: the token loop and the findings (file_check.cpp), a
// `%` or `&` and the word after it (percent_words.cpp), the keywords that open and close
// blocks (block_keywords.cpp), text and parentheses inside blocks (block_text.cpp), macro
// definitions and calls (macro_calls.cpp), and the variables set and read
// (variable_names.cpp).
#pragma once
#include "check/block_rules.hpp"
#include "check/checker_state.hpp"
#include "input/lexer.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornmac::check {

// A block the program has opened and not yet closed.
struct Frame {
    Frame(Block opened_block, Position opened_at) : block(opened_block), at(opened_at) {}
    Block block;
    Position at;
    std::string name;           // the macro of a body or call, the function of its arguments
    int depth = 0;              // parentheses open in a condition, header, branch or call
    int state = 0;              // do_header: DoState; call_args: tokens of the argument
    bool started = false;       // if_branch: its statement began; select_branch: header read
    bool nested_if = false;     // if_branch: its statement is an %if of its own
    bool is_else = false;       // if_branch: the else-branch
    bool after_operand = false; // expressions: the last token was a number or ")"
    bool broken = false;        // select: a finding was made, the rest is read leniently
    bool copy = false;          // read as a copy: this block or one around it, inside the same body
    bool in_body = false;       // inside a macro body
    const MacroShape *shape = nullptr; // call_args
    int arguments = 0;                 // call_args: arguments complete
};

inline Frame opened(Block block, Position at, std::string name = {}) {
    Frame frame{block, at};
    frame.name = std::move(name);
    return frame;
}

enum DoState { first_token, expect_equals, counted, while_header, select_header };

// The keyword a name is, or -1.
int keyword_index(const std::string &name);

class FileCheck {
  public:
    FileCheck(ProgramChecker::State &state, size_t file, std::string_view text)
        : state_(state), file_(file), lexer_(text), text_end_(text.data() + text.size()) {}

    void run();

  private:
    // ---- Reading ----
    Token take(bool triggers_act);
    bool copying() const { return !stack_.empty() && stack_.back().copy; }
    bool in_body() const { return !stack_.empty() && stack_.back().in_body; }
    void settle();
    void push(Frame frame) {
        stack_.push_back(std::move(frame));
        settle();
    }
    Frame *top() { return stack_.empty() ? nullptr : &stack_.back(); }
    bool top_is(Block block) const { return !stack_.empty() && stack_.back().block == block; }

    // ---- Findings ----
    void report(Position at, Severity severity, std::string message, const char *name);
    void error(Position at, std::string message, const char *name) {
        report(at, Severity::error, std::move(message), name);
    }
    void warning(Position at, std::string message, const char *name) {
        report(at, Severity::warning, std::move(message), name);
    }
    void report_unclosed(const Frame &frame);

    // ---- A `%` or `&` and its word ----
    void on_trigger(const Token &trigger);
    void on_percent_token(const Token &percent);
    bool acts_when_joined(const std::string &name) const;
    bool copied_by_block() const;
    void on_word(const std::string &name, Position at, std::string_view word);

    // ---- Keywords that open and close blocks ----
    void keyword(int index, const std::string &name, Position at);
    void close_block_at_end(Position at);
    void comment_statement();
    void end_branch();
    void statement_done();

    // ---- Text and parentheses ----
    void on_text(const Token &token);
    bool text_in_frame(const Token &token);
    void expression_token(Frame &frame, const Token &token);

    // ---- Macro definitions and calls ----
    void macro_header(Position at);
    void mend(Position at);
    void call(const std::string &name, Position at, std::string_view word);
    void call_argument(Frame &call, const Token &token);
    void too_many_arguments(const Frame &call);

    // ---- Variables set and read ----
    void sets_names(const std::string &keyword);
    void note_set_name(const Token &token);
    void reference(const std::string &name, Position at);

    ProgramChecker::State &state_;
    size_t file_;
    Lexer lexer_;
    const char *text_end_;
    std::vector<Frame> stack_;
    std::optional<Token> pending_;
    bool in_quotes_ = false;
    bool after_end_ = false;              // an %end was read: its ";" comes next
    bool white_after_branch_ = false;     // an %if ended at the blanks of an indented line
    std::optional<Frame> expect_paren_;   // a function keyword was read: "(" comes next
    std::optional<Frame> expect_bracket_; // a macro call: "[" may come next
    bool expect_bracket_joined_ = false;  // no white space between the name and what follows
    bool set_first_ = false;              // %let and its kin: the next word is set
    bool set_list_ = false;               // %local and its kin: the words up to ";" are set
    bool set_env_list_ = false;           // %dosenv: "__" and the words up to ";" are set
};

} // namespace vornmac::check
