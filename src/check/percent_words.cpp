// A `%` or `&` and the word after it: read at once where they act, or as tokens of their
// own where a copier joins them later, and what the word then does.
#include "check/file_check.hpp"
#include "check/token_text.hpp"
#include "vars/name_compare.hpp"

#include <array>

namespace vornmac::check {

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

} // namespace vornmac::check
