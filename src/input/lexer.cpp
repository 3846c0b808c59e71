#include "input/lexer.hpp"

namespace vornmac {

// Reads the text as the input stack reads a program file: a carriage return is read as a
// line feed together with the character after it (a step back goes back to that character
// only), and after the last character comes one line feed; any other character stepped
// back is read again. Nothing more is read once the text and
// its line feed are used up: every token reader stops there.
class Lexer::Reader {
  public:
    explicit Reader(Lexer &lexer) : lexer_(lexer) {}

    unsigned char read() {
        Lexer &l = lexer_;
        l.last_read_ = l.at_;
        ++l.position_.column;
        if (l.at_ < l.text_.size()) {
            const unsigned char c = static_cast<unsigned char>(l.text_[l.at_]);
            if (c != '\r') {
                ++l.at_;
                return c;
            }
            // The character after it is read with it, and read again after a step back; a
            // carriage return at the end takes the line feed that follows the text.
            if (l.at_ + 1 == l.text_.size()) l.final_line_feed_read_ = true;
            l.at_ = std::min(l.at_ + 2, l.text_.size());
            return '\n';
        }
        if (!l.final_line_feed_read_) {
            l.final_line_feed_read_ = true;
            return '\n';
        }
        return '\0';
    }
    static void take() {}
    void step_back() {
        Lexer &l = lexer_;
        const bool folded = l.last_read_ < l.text_.size() && l.text_[l.last_read_] == '\r';
        l.at_ = folded ? l.last_read_ + 1 : l.last_read_;
        --l.position_.column;
    }
    void append(unsigned char) { ++lexer_.appended_; }
    void append_raw(unsigned char) { ++lexer_.appended_; }
    void line_feed(int16_t) {
        ++lexer_.position_.line;
        lexer_.position_.column = 0;
    }
    bool full() const { return lexer_.appended_ >= token_limit; }
    static void take_name_run() {}
    bool reference_continues_word() const { return lexer_.triggers_act_; }
    bool exhausted() const {
        return lexer_.at_ >= lexer_.text_.size() && lexer_.final_line_feed_read_;
    }
    static void check_source_end() {}

  private:
    Lexer &lexer_;
};

Token Lexer::next(bool triggers_act, int16_t mode) {
    const size_t start = at_;
    const Position at = position_;
    appended_ = 0;
    triggers_act_ = triggers_act;
    if (at_ >= text_.size()) return token_from(start, at, TokenKind::end);
    Reader r(*this);
    const unsigned char c = r.read();
    if (reference_follows_) {
        // The ampersand right after a word is a reference, whatever follows it.
        reference_follows_ = false;
        return token_from(start, at, TokenKind::trigger);
    }
    if (triggers_act && is_trigger(c)) {
        // The trigger is read with the white space after it: followed by any, it acts on
        // nothing and is ordinary text.
        r.step_back();
        char word[token_size];
        const TriggerWord read = lex_trigger_word(r, 0, word);
        return token_from(start, at, read.length == 1 ? TokenKind::trigger : TokenKind::other);
    }
    if (c == marker_byte) {
        lex_marker(r);
        return token_from(start, at, TokenKind::marker);
    }
    if (c == quoted_byte) {
        lex_quoted(r);
        return token_from(start, at, TokenKind::quoted);
    }
    if (is_name_char(c)) {
        r.append(c);
        r.take();
        bool white_taken = false;
        if (lex_word_rest(r, mode, white_taken) == WordEnd::reference) {
            r.step_back();
            reference_follows_ = true;
        }
        return token_from(start, at, TokenKind::word);
    }
    if (lex_other(r, c, mode) == OtherEnd::complete) return token_from(start, at, TokenKind::other);
    lex_comment(r);
    lex_white(r);
    return token_from(start, at, TokenKind::comment);
}

Token Lexer::trigger_word(int16_t mode) {
    const size_t start = at_;
    const Position at = position_;
    Reader r(*this);
    char word[token_size];
    lex_trigger_word(r, mode, word);
    return token_from(start, at, TokenKind::name);
}

void Lexer::skip_white() {
    Reader r(*this);
    lex_white(r);
}

} // namespace vornmac
