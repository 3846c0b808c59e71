#include "check/program_checker.hpp"

#include "check/block_rules.hpp"
#include "check/known_names.hpp"
#include "input/lexer.hpp"
#include "stmt/keyword_table.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <array>
#include <optional>

namespace vornmac::check {

namespace {

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

Frame opened(Block block, Position at, std::string name = {}) {
    Frame frame{block, at};
    frame.name = std::move(name);
    return frame;
}

enum DoState { first_token, expect_equals, counted, while_header, select_header };

std::string_view trimmed(std::string_view text) {
    while (!text.empty() &&
           (is_white(static_cast<unsigned char>(text.back())) || text.back() == '.'))
        text.remove_suffix(1);
    return text;
}

bool ends_in_white(std::string_view text) {
    return !text.empty() && is_white(static_cast<unsigned char>(text.back()));
}

bool is_number(std::string_view text) {
    text = trimmed(text);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

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

char first_of(const Token &token) {
    return token.text.empty() ? '\0' : token.text.front();
}

bool starts_white(const Token &token) {
    return !token.text.empty() && is_white(static_cast<unsigned char>(token.text.front()));
}

// The keyword a name is, or -1.
int keyword_index(const std::string &name) {
    const auto &table = keyword_table();
    for (size_t i = 0; i < table.size(); ++i)
        if (name_compare(name.c_str(), table[i].name) == 0) return static_cast<int>(i);
    return -1;
}

// Statements whose words up to the ";" are the names of variables they set.
bool sets_listed_names(const std::string &keyword) {
    for (const char *name :
         {"local", "global", "savevar", "prevlevel", "input", "startup", "makevar"})
        if (keyword == name) return true;
    return false;
}

bool sets_first_name(const std::string &keyword) {
    for (const char *name : {"let", "append", "copyvar", "appendvar"})
        if (keyword == name) return true;
    return false;
}

struct Deferred {
    size_t file;
    Position at;
    std::string name;
};

} // namespace

struct ProgramChecker::State {
    explicit State(CheckSettings given) : settings(std::move(given)) {
        for (const MacroShape &shape : settings.library_macros)
            library.emplace(fold_name(shape.name), &shape);
    }

    CheckSettings settings;
    NameMap<const MacroShape *> library;
    NameMap<MacroShape> defined; // by %macro in the files checked, so far
    NameSet set_variables;
    std::vector<std::string> files;
    std::vector<std::vector<Finding>> findings;
    std::vector<Deferred> body_calls; // calls in macro bodies: checked once all are read
    std::vector<Deferred> references;

    const MacroShape *macro(const std::string &name) const {
        const std::string key = fold_name(name);
        if (const auto found = defined.find(key); found != defined.end()) return &found->second;
        if (const auto found = library.find(key); found != library.end()) return found->second;
        return nullptr;
    }
};

namespace {

// One program text, read from its start to its end.
class FileCheck {
  public:
    FileCheck(ProgramChecker::State &state, size_t file, std::string_view text)
        : state_(state), file_(file), lexer_(text), text_end_(text.data() + text.size()) {}

    void run();

  private:
    // ---- Reading ----
    Token take(bool triggers_act) {
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
    bool copying() const { return !stack_.empty() && stack_.back().copy; }
    bool in_body() const { return !stack_.empty() && stack_.back().in_body; }
    // The innermost block was opened or changed: what it inherits from the one around it.
    void settle() {
        Frame &frame = stack_.back();
        const Frame *around = stack_.size() > 1 ? &stack_[stack_.size() - 2] : nullptr;
        const bool body = frame.block == Block::macro_body;
        frame.copy = !body && (rule_of(frame.block).copied || (around != nullptr && around->copy));
        frame.in_body = body || (around != nullptr && around->in_body);
    }
    void push(Frame frame) {
        stack_.push_back(std::move(frame));
        settle();
    }
    Frame *top() { return stack_.empty() ? nullptr : &stack_.back(); }
    bool top_is(Block block) const { return !stack_.empty() && stack_.back().block == block; }

    // ---- Findings ----
    void report(Position at, Severity severity, std::string message, const char *name) {
        state_.findings[file_].push_back(
            {state_.files[file_], at.line, at.column, severity, std::move(message), name});
    }
    void error(Position at, std::string message, const char *name) {
        report(at, Severity::error, std::move(message), name);
    }
    void warning(Position at, std::string message, const char *name) {
        report(at, Severity::warning, std::move(message), name);
    }
    void report_unclosed(const Frame &frame) {
        const BlockRule &rule = rule_of(frame.block);
        if (rule.missing_name == nullptr) return;
        std::string message = rule.missing_message;
        if (frame.block == Block::function_args)
            message = "the parentheses of %" + frame.name + " do not balance: its ( has no )";
        if (frame.block == Block::macro_body) message += ": " + frame.name;
        error(frame.at, message, rule.missing_name);
    }

    // ---- Events ----
    void on_trigger(const Token &trigger);
    void on_percent_token(const Token &percent);
    bool acts_when_joined(const std::string &name) const;
    bool copied_by_block() const;
    void on_word(const std::string &name, Position at, std::string_view word);
    void on_text(const Token &token);
    bool text_in_frame(const Token &token);
    void expression_token(Frame &frame, const Token &token);
    void too_many_arguments(const Frame &call);
    void keyword(int index, const std::string &name, Position at);
    void call(const std::string &name, Position at, std::string_view word);
    void close_block_at_end(Position at);
    void mend(Position at);
    void macro_header(Position at);
    void comment_statement();
    void end_branch();
    void statement_done();
    void reference(const std::string &name, Position at);
    void note_set_name(const Token &token);

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

// A `%` or `&` that acts, where a run reads the word after it at once.
void FileCheck::on_trigger(const Token &trigger) {
    const bool percent = first_of(trigger) == '%';
    Token word = lexer_.trigger_word(percent ? 1 : 0);
    const std::string_view text = word.text;
    const bool at_end =
        text.data() + text.size() == text_end_ && (text.empty() || text.back() != '.');
    if (in_quotes_) {
        // Only a macro body is read here in quotes: its definition ends at %mend all the same.
        const std::string name(trimmed(text));
        if (percent &&
            (name_compare(name.c_str(), "mend") == 0 || name_compare(name.c_str(), "macro") == 0))
            on_word(name, trigger.start, text);
        return;
    }
    if (at_end) {
        warning(trigger.start,
                std::string(percent ? "a % word" : "a reference") +
                    " at the very end of the input is dropped: end it with a period or write "
                    "text after it",
                "dropped-at-end");
        return;
    }
    if (!percent) {
        if (trimmed(text) == "&") {
            // &&name: the name is read again after the ampersands are paired; not checked.
            while (trimmed(lexer_.trigger_word(0).text) == "&") {
            }
        } else {
            reference(std::string(trimmed(text)), trigger.start);
        }
        lexer_.skip_white();
        return;
    }
    const char first = text.empty() ? '\0' : text.front();
    if (first == '&') {
        lexer_.trigger_word(1); // %&name: a call whose name is a variable's value
        lexer_.skip_white();
        return;
    }
    if (first == '(' || first == ')' || first == '\'' || first == '"' || first == '%')
        return; // a quoted character: plain text, which no parenthesis or quote counts
    const std::string name(trimmed(text));
    if (name.empty()) return;
    on_word(name, trigger.start, text);
    if (!copying()) lexer_.skip_white();
}

// A `%` read as a token of its own: where the text is copied to be read again, or in a
// macro body, whose definition copies it. The token after it is the word, and the copy
// joins the two, white space between them dropped: `% end` ends a loop as `%end` does, and
// in a body `% mend` ends the definition and `% three` calls three when the body runs.
void FileCheck::on_percent_token(const Token &percent) {
    const bool in_place = !copying();
    const bool white = percent.text.size() > 1;
    const Token word = take(false);
    if (word.kind != TokenKind::word) {
        pending_ = word;
        if (word.kind == TokenKind::other && first_of(word) != ';' && !white) pending_.reset();
        return;
    }
    const std::string name(trimmed(word.text));
    if (white && !in_body()) {
        if (!acts_when_joined(name)) {
            if (!in_quotes_)
                warning(percent.start,
                        "a % followed by white space in a copied branch or loop body loses the "
                        "white space when the copy is read, and calls the macro " +
                            name + ": write %% for a percent sign",
                        "percent-joins-word");
            pending_ = word;
            return;
        }
        if (name_compare(name.c_str(), "else") == 0 && top_is(Block::if_after_then) &&
            !copied_by_block()) {
            // %if takes only a lone `%` for its %else: this one is text, unless a loop or
            // selection copied the %if and joined them before.
            on_text(percent);
            pending_ = word;
            return;
        }
    }
    if (in_quotes_) {
        // Quoted text is not acted on, but the copiers see their words in it: the
        // definition its mend and macro, the other copiers the blocks' words too.
        static constexpr std::array<const char *, 9> copier_words = {
            "mend", "macro", "do", "end", "if", "then", "else", "case", "otherwise"};
        const size_t seen = in_place ? 2 : copier_words.size();
        for (size_t i = 0; i < seen; ++i)
            if (name_compare(name.c_str(), copier_words[i]) == 0)
                on_word(name, percent.start, word.text);
        return;
    }
    on_word(name, percent.start, word.text);
    if (in_place && !copying()) lexer_.skip_white();
}

// Whether a word acts when a copier joins it to a `%`: a keyword, a word of the blocks, or
// one of those a %do header reads.
bool FileCheck::acts_when_joined(const std::string &name) const {
    for (const char *word : {"mend", "case", "otherwise"})
        if (name_compare(name.c_str(), word) == 0) return true;
    if (top_is(Block::do_header))
        for (const char *word : {"to", "by", "while", "select", "switch"})
            if (name_compare(name.c_str(), word) == 0) return true;
    return keyword_index(name) >= 0;
}

// Whether a loop or selection around the innermost block copied its text, joining each `%`
// to the word after it.
bool FileCheck::copied_by_block() const {
    for (size_t i = 0; i + 1 < stack_.size(); ++i) {
        const Block block = stack_[i].block;
        if (block == Block::loop || block == Block::select || block == Block::select_branch)
            return true;
    }
    return false;
}

void FileCheck::on_word(const std::string &raw_name, Position at, std::string_view word) {
    std::string name = raw_name;
    for (char &c : name)
        c = static_cast<char>(fold_name_char(static_cast<unsigned char>(c)));
    expect_paren_.reset();
    expect_bracket_.reset();
    white_after_branch_ = white_after_branch_ && name == "else";
    if (after_end_) {
        after_end_ = false;
        error(at, "%end must be followed by ;", "end-without-semicolon");
    }
    for (;;) {
        Frame *frame = top();
        if (frame == nullptr) break;
        if (frame->block == Block::if_after_then && name != "else") {
            stack_.pop_back();
            statement_done();
            continue;
        }
        if (frame->block == Block::select) {
            if (name == "case" || name == "otherwise") {
                push({Block::select_branch, at});
                return;
            }
            if (name == "end") {
                stack_.pop_back();
                after_end_ = true;
                return;
            }
            if (!frame->broken)
                error(at, "a %do %select may hold only %case and %otherwise branches, not %" + name,
                      "select-branch");
            frame->broken = true;
        }
        if (frame->block == Block::do_header) {
            if (frame->state == first_token) {
                if (name == "while") {
                    frame->state = while_header;
                } else if (name == "select" || name == "switch") {
                    frame->state = select_header;
                } else {
                    error(at, "%do % must be followed by while, select or switch, not " + name,
                          "do-form");
                    stack_.pop_back();
                }
                return;
            }
            if (frame->state == counted && (name == "to" || name == "by")) {
                frame->after_operand = false;
                return;
            }
        }
        if (frame->block == Block::if_branch && !frame->started) {
            frame->started = true;
            frame->nested_if = name == "if";
        }
        break;
    }
    if (name == "mend") {
        mend(at);
        return;
    }
    if (name == "case" || name == "otherwise") {
        if (!top_is(Block::select_branch)) {
            error(at, "%" + name + " outside a %do %select", "stray-case");
            return;
        }
        push({Block::select_branch, at}); // the copier takes it for a block
        return;
    }
    const int index = keyword_index(name);
    if (index >= 0) {
        keyword(index, name, at);
        return;
    }
    call(name, at, word);
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
    } else if (sets_first_name(name)) {
        set_first_ = true;
    } else if (sets_listed_names(name)) {
        set_list_ = true;
    } else if (name == "dosenv") {
        set_env_list_ = true;
    }
}

void FileCheck::call(const std::string &name, Position at, std::string_view word) {
    if (name.rfind("sys_", 0) == 0) return; // a command variable read as program text
    const MacroShape *shape = state_.macro(name);
    if (shape == nullptr) {
        if (in_body())
            state_.body_calls.push_back({file_, at, name});
        else
            error(at,
                  "%" + name +
                      " is no keyword and no macro of the home's libraries or of the "
                      "files checked before it",
                  "unknown-macro");
        return;
    }
    expect_bracket_ = opened(Block::call_args, at, name);
    expect_bracket_->shape = shape;
    expect_bracket_joined_ = !ends_in_white(word);
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

void FileCheck::mend(Position at) {
    if (!in_body()) {
        error(at, "%mend without %macro", "stray-mend");
        return;
    }
    while (stack_.back().block != Block::macro_body) {
        if (stack_.back().block != Block::if_after_then) report_unclosed(stack_.back());
        stack_.pop_back();
    }
    const std::string macro_name = stack_.back().name;
    stack_.pop_back();
    in_quotes_ = false;
    after_end_ = false;
    Token token = take(false);
    if (first_of(token) != ';' && token.kind != TokenKind::end) {
        if (name_compare(std::string(trimmed(token.text)).c_str(), macro_name.c_str()) != 0)
            error(token.start,
                  "%mend " + std::string(trimmed(token.text)) + " closes the macro " + macro_name,
                  "mend-name");
        token = take(false);
        if (first_of(token) != ';')
            error(token.start, "%mend " + macro_name + " must be followed by ;",
                  "mend-without-semicolon");
    }
    if (token.kind != TokenKind::end && first_of(token) != ';') pending_ = token;
}

// %macro NAME(label)[parameters]: read as the definition reads it, `%` and `&` off.
void FileCheck::macro_header(Position at) {
    Token token = take(false);
    MacroShape shape;
    shape.name = std::string(trimmed(token.text));
    const bool joined = !ends_in_white(token.text);
    token = take(false);
    if (joined && first_of(token) == '(') {
        while (token.kind != TokenKind::end && first_of(token) != ')')
            token = take(false);
        token = take(false);
    }
    if (first_of(token) == '[') {
        token = take(false);
        bool named_seen = false;
        while (token.kind != TokenKind::end && first_of(token) != ']') {
            const std::string parameter(trimmed(token.text));
            state_.set_variables.insert(fold_name(parameter));
            token = take(false);
            if (first_of(token) == '=') {
                while (token.kind != TokenKind::end && first_of(token) != ',' &&
                       first_of(token) != ']')
                    token = take(false);
                shape.named.push_back(parameter);
                named_seen = true;
            } else {
                if (named_seen)
                    error(at,
                          "macro " + shape.name + ": a positional parameter follows a named one",
                          "macro-parameters");
                ++shape.positional;
            }
            if (first_of(token) == ',') {
                token = take(false);
            } else if (first_of(token) != ']') {
                error(token.start,
                      "macro " + shape.name + ": a parameter must be followed by , or ]",
                      "macro-parameters");
                break;
            }
        }
        token = take(false);
    }
    Frame body = opened(Block::macro_body, at, shape.name);
    state_.defined[fold_name(shape.name)] = std::move(shape);
    push(std::move(body));
    in_quotes_ = false;
    if (token.kind == TokenKind::other && token.text == "%")
        on_trigger(token); // the body begins with a % word, which acts when the body runs
    else if (token.kind != TokenKind::end)
        pending_ = token;
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

void FileCheck::reference(const std::string &name, Position at) {
    if (state_.settings.report_undefined && !name.empty())
        state_.references.push_back({file_, at, name});
}

void FileCheck::note_set_name(const Token &token) {
    if (token.kind != TokenKind::word) return;
    const std::string name(trimmed(token.text));
    if (set_first_) {
        state_.set_variables.insert(fold_name(name));
        set_first_ = false;
    }
    if (set_list_) state_.set_variables.insert(fold_name(name));
    if (set_env_list_) state_.set_variables.insert(fold_name("__" + name));
}

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
    case Block::call_args: {
        const MacroShape &shape = *frame->shape;
        if (first == ',' || first == ']') {
            if (frame->arguments >= shape.positional && frame->state == 1)
                too_many_arguments(*frame);
            if (frame->state > 0 || first == ',') ++frame->arguments;
            frame->state = 0;
            if (first == ']') stack_.pop_back();
            return false;
        }
        if (frame->arguments >= shape.positional && frame->state == 0) {
            frame->name = std::string(trimmed(token.text));
            frame->at = token.start;
        } else if (frame->arguments >= shape.positional && frame->state == 1) {
            if (first != '=') {
                too_many_arguments(*frame);
            } else if (std::none_of(shape.named.begin(), shape.named.end(),
                                    [&](const std::string &n) {
                                        return name_compare(n.c_str(), frame->name.c_str()) == 0;
                                    })) {
                error(frame->at, "the macro " + shape.name + " has no parameter " + frame->name,
                      "unknown-argument");
            }
        }
        ++frame->state;
        return false;
    }
    default:
        return false;
    }
}

void FileCheck::too_many_arguments(const Frame &call) {
    const MacroShape &shape = *call.shape;
    error(call.at,
          "the macro " + shape.name + " takes " + std::to_string(shape.positional) +
              " positional argument" + (shape.positional == 1 ? "" : "s") + ": " + call.name +
              " is one more",
          "too-many-arguments");
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

} // namespace

ProgramChecker::ProgramChecker(CheckSettings settings)
    : state_(std::make_unique<State>(std::move(settings))) {}

ProgramChecker::~ProgramChecker() = default;

void ProgramChecker::check(const std::string &file, std::string_view text) {
    state_->files.push_back(file);
    state_->findings.emplace_back();
    FileCheck(*state_, state_->files.size() - 1, text).run();
}

std::vector<Finding> ProgramChecker::finish() {
    State &state = *state_;
    for (const Deferred &call : state.body_calls)
        if (state.macro(call.name) == nullptr)
            state.findings[call.file].push_back(
                {state.files[call.file], call.at.line, call.at.column, Severity::error,
                 "%" + call.name +
                     " is no keyword and no macro of the home's libraries or of the files checked",
                 "unknown-macro"});
    for (const Deferred &reference : state.references) {
        const std::string key = fold_name(reference.name);
        if (state.set_variables.count(key) != 0 ||
            is_known_variable(state.settings, reference.name))
            continue;
        state.findings[reference.file].push_back(
            {state.files[reference.file], reference.at.line, reference.at.column, Severity::warning,
             "&" + reference.name + ": nothing in the files checked sets this variable",
             "undefined-variable"});
    }
    std::vector<Finding> all;
    for (std::vector<Finding> &file : state.findings) {
        std::stable_sort(file.begin(), file.end(), [](const Finding &a, const Finding &b) {
            return a.line != b.line ? a.line < b.line : a.column < b.column;
        });
        all.insert(all.end(), file.begin(), file.end());
    }
    state.findings.clear();
    state.body_calls.clear();
    state.references.clear();
    return all;
}

} // namespace vornmac::check
