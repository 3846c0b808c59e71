// The lexer: the character classes and the shape of a token, without any parser context.
// A token is a word (a run of name characters) or one other character, followed by the
// white space after it up to and including the first line feed (in mode 1 only the first
// white-space character). Besides these plain tokens there are the two-byte markers of
// stored texts (0x01 and a code), quoted characters (0x02, a code and all the white space
// after it), comments from "/*" to "*/" (a slash, blanks and an asterisk open one too),
// and the word read after a `%` or `&` trigger. A token holds at most 199 characters.
//
// The shapes are written once, as token readers (`lex_...`) that read a character at a time
// through a Reader with one character of look-ahead:
//   unsigned char read()           reads the next character
//   void take()                    counts the character just read as consumed
//   void step_back()               un-reads it: it is read again next time
//   void append(unsigned char)     adds a character to the token's text
//   void append_raw(unsigned char) adds a marker's code byte as it stands
//   void line_feed(int16_t mode)   a line feed went into the token: one line more
//   bool full()                    the token holds its 199 characters
//   void take_name_run()           may take a run of name characters whole (or nothing)
//   bool reference_continues_word() an ampersand right after a word's name characters
//                                  is a reference whose value goes on with the word
//   bool exhausted()               nothing more to read (a comment ends there)
//   void check_source_end()        where skipped white space ends, used-up input ends
// The scanner reads program input through them (while it runs what it reads), and `Lexer`
// reads a text in memory, so that a program can be read without running anything.
//
// The scanner's fast paths decide whole tokens over text in view instead (`plain_token`,
// `plain_token_end`, `name_run`, `trigger_name_in_view`): each gives what the readers would read
// from the same characters, or nothing where the text in view does not decide it.
#pragma once
#include "input/quoting_bytes.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vornmac {

inline constexpr int16_t token_size = 200;
inline constexpr int16_t token_limit = token_size - 1;

// Name characters: letters, digits, "_" and every byte of 128 or above. White space is what
// is_white says: blank, tab, line feed, vertical tab, form feed, carriage return.
inline constexpr std::array<bool, 256> name_characters = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<size_t>(c)] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                        (c >= '0' && c <= '9') || c == '_' || c >= 128;
    return table;
}();

constexpr bool is_name_char(unsigned char c) {
    return name_characters[c];
}

constexpr bool is_trigger(unsigned char c) {
    return c == '%' || c == '&';
}

// The characters the word after a trigger may be alone, when it is not a name. A table:
// every character of every word after a trigger is asked.
inline constexpr std::array<bool, 256> special_characters = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("*()%'\"&"))
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

constexpr bool is_special(unsigned char c) {
    return special_characters[c];
}

// How a plain token sees a character. `acting`: what a plain token cannot begin with or take
// as white space, since more happens to it: a trigger, a marker or quoted-character byte,
// the slash of a comment, a quote (which switches quoting), a carriage return (folded with
// the character after it) and a zero byte (which would end the token's text early).
enum class CharClass : unsigned char { other, name, white, line_feed, acting };

inline constexpr std::array<CharClass, 256> char_classes = [] {
    std::array<CharClass, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const auto byte = static_cast<unsigned char>(c);
        CharClass &entry = table[byte];
        if (is_name_char(byte))
            entry = CharClass::name;
        else if (byte == '\n')
            entry = CharClass::line_feed;
        else if (byte != '\r' && is_white(byte))
            entry = CharClass::white;
        else if (is_trigger(byte) || byte == marker_byte || byte == quoted_byte || byte == '/' ||
                 byte == '\'' || byte == '\r' || byte == '\0')
            entry = CharClass::acting;
    }
    return table;
}();

// Each name character as a token stores it (capitals in lower case when `lower_case`), 0 for
// every other byte: one look-up both ends a word and folds its case.
constexpr std::array<unsigned char, 256> word_bytes(bool lower_case) {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        if (is_name_char(static_cast<unsigned char>(c)))
            table[static_cast<size_t>(c)] = lower_case
                                                ? fold_name_char(static_cast<unsigned char>(c))
                                                : static_cast<unsigned char>(c);
    return table;
}
inline constexpr std::array<unsigned char, 256> word_bytes_as_read = word_bytes(false);
inline constexpr std::array<unsigned char, 256> word_bytes_lowered = word_bytes(true);

// ---- Token readers, a character at a time --------------------------------------------

enum class WordEnd : unsigned char { complete, reference };

// The rest of a word whose first characters are in the token (`white_taken`: white space
// after them too). Name characters go on with it until white space has been taken; white
// space is taken up to and including a line feed, only one character of it in mode 1. It
// ends before any other character, or full. At an ampersand right after the name characters
// that continues the word (see Reader), it stops with the ampersand read: `reference`.
template <typename Reader>
[[gnu::always_inline]] inline WordEnd lex_word_rest(Reader &r, int16_t mode, bool &white_taken) {
    while (!r.full()) {
        if (!white_taken) {
            r.take_name_run();
            if (r.full()) break;
        }
        const unsigned char c = r.read();
        if (is_name_char(c)) {
            if (white_taken) {
                r.step_back();
                break;
            }
            r.append(c);
            r.take();
        } else if (is_white(c)) {
            if (c == '\n') r.line_feed(mode);
            r.append(c);
            r.take();
            if (c == '\n' || mode == 1) break;
            white_taken = true;
        } else if (c == '&' && !white_taken && r.reference_continues_word()) {
            return WordEnd::reference;
        } else {
            r.step_back();
            break;
        }
    }
    return WordEnd::complete;
}

enum class OtherEnd : unsigned char { complete, comment };

// A token of one other character, `first`, just read: it and the white space after it as
// a word takes it. After a slash, an asterisk opens a comment (also after blanks): it stops
// with the asterisk read, `comment`.
template <typename Reader> OtherEnd lex_other(Reader &r, unsigned char first, int16_t mode) {
    // A blank line's line feed starts a token of its own; it still counts as a line.
    if (first == '\n') r.line_feed(mode);
    r.append(first);
    r.take();
    while (!r.full()) {
        const unsigned char c = r.read();
        if (first == '/' && c == '*') return OtherEnd::comment;
        if (!is_white(c)) {
            r.step_back();
            break;
        }
        if (c == '\n') r.line_feed(mode);
        r.append(c);
        r.take();
        if (c == '\n' || mode == 1) break;
    }
    return OtherEnd::complete;
}

// A comment whose asterisk has just been read: every character up to and including "*/"
// is counted and dropped. Comments do not nest.
template <typename Reader> void lex_comment(Reader &r) {
    r.take();
    bool after_star = false;
    while (!r.exhausted()) {
        const unsigned char c = r.read();
        r.take();
        if (c == '\n') r.line_feed(0);
        if (after_star && c == '/') break;
        after_star = c == '*';
    }
}

// A marker whose 0x01 has just been read: it and its code byte, which it gives.
template <typename Reader> unsigned char lex_marker(Reader &r) {
    r.append(marker_byte);
    r.take();
    const unsigned char code = r.read();
    r.append_raw(code);
    r.take();
    return code;
}

// A quoted character whose 0x02 has just been read: it, its code byte and all the white
// space after it, line feeds included, as a quoted character made by `%(` carries it.
template <typename Reader> void lex_quoted(Reader &r) {
    r.append(quoted_byte);
    r.take();
    r.append_raw(r.read());
    r.take();
    while (!r.full()) {
        const unsigned char c = r.read();
        if (!is_white(c)) {
            r.step_back();
            break;
        }
        if (c == '\n') r.line_feed(0);
        r.append(c);
        r.take();
    }
}

// The word at a trigger and after it, into `destination` (zero-terminated): name characters
// as long as no white space has been taken; or, as its only character, one of `is_special`;
// then the white space after it, line feeds included but not counted as lines. It ends
// before any other character; a period ends it and is taken, not stored (`period`). In
// mode 0 markers before the word are skipped, a doubled one whole.
struct TriggerWord {
    int16_t length = 0;
    bool period = false;
};

template <typename Reader>
TriggerWord lex_trigger_word(Reader &r, int16_t mode, char *destination) {
    enum class Collected { nothing, name, special } collected = Collected::nothing;
    bool white_taken = false;
    TriggerWord word;
    // Terminated as it grows: a host is told what was read when the input ends inside it.
    destination[0] = '\0';
    for (;;) {
        unsigned char c = r.read();
        while (mode == 0 && c == marker_byte && collected == Collected::nothing) {
            r.take();
            c = r.read();
            if (c != marker_byte) break;
            r.take();
            c = r.read();
        }
        // A special character with its white space may become a quoted character, whose
        // marker takes one byte more in the token: leave room for it.
        const int16_t limit = collected == Collected::special ? token_limit - 1 : token_limit;
        if (word.length >= limit) {
            r.step_back();
            break;
        }
        if (c == '.') {
            r.take();
            word.period = true;
            break;
        }
        const bool takes_name = is_name_char(c) && collected != Collected::special && !white_taken;
        const bool takes_white = is_white(c) && collected != Collected::nothing;
        const bool takes_special = collected == Collected::nothing && is_special(c);
        if (!takes_name && !takes_white && !takes_special) {
            r.step_back();
            break;
        }
        if (takes_name) collected = Collected::name;
        if (takes_special) collected = Collected::special;
        if (takes_white) white_taken = true;
        destination[word.length++] = static_cast<char>(c);
        destination[word.length] = '\0';
        r.take();
    }
    return word;
}

// The white space after a statement, a reference or a comment: all of it, lines counted.
template <typename Reader> void lex_white(Reader &r) {
    unsigned char c = r.read();
    while (is_white(c)) {
        if (c == '\n') r.line_feed(0);
        r.take();
        c = r.read();
    }
    r.check_source_end();
    r.step_back();
}

// ---- Shapes over text in view --------------------------------------------------------

// The number of name characters that begin `text`, at most `room`.
inline size_t name_run(std::string_view text, size_t room) {
    const size_t limit = std::min(text.size(), room);
    size_t length = 0;
    while (length < limit && is_name_char(static_cast<unsigned char>(text[length])))
        ++length;
    return length;
}

// Stores the run of name characters that begins the zero-terminated `text`, at most `room`
// of them, into `to` as a token stores them; gives the run's length.
inline size_t store_name_run(const char *text, size_t room, char *to, bool lower_case) {
    const auto &bytes = lower_case ? word_bytes_lowered : word_bytes_as_read;
    const auto *from = reinterpret_cast<const unsigned char *>(text);
    size_t length = 0;
    while (length < room && bytes[from[length]] != 0) {
        to[length] = static_cast<char>(bytes[from[length]]);
        ++length;
    }
    return length;
}

// A plain token found whole in view, as the readers would read it: a word (lex_word_rest
// without a reference) or one character that does not act (lex_other without a comment),
// and its white space.
// One that begins with a line feed (a blank line's) counts that line before its white space.
struct PlainToken {
    size_t length;
    bool ends_line; // its white space ends with a line feed
    // The character after it ended it (not its white space or its bound): a reader has
    // read that character and stepped back before it.
    bool read_after;
};

// How a plain token whose first `head` characters of `ready` are its word (or its one other
// character) ends: the white space after them and the character after that, as the readers
// read them; the token is full at `bound` characters of `ready`. `word_goes_on`: an
// ampersand right after the head would continue the word. False, `token` untouched, when
// what is in view does not decide it.
[[gnu::always_inline]] inline bool plain_token_end(std::string_view ready, size_t head,
                                                   size_t bound, int16_t mode, bool word_goes_on,
                                                   PlainToken &token) {
    const auto *from = reinterpret_cast<const unsigned char *>(ready.data());
    const size_t room = std::min(ready.size(), bound);
    size_t length = head;
    bool ended_by_white = false; // by a line feed, a mode 1 token's white space or the bound
    bool line_feed = false;
    while (length < room) {
        const CharClass kind = char_classes[from[length]];
        if (kind == CharClass::white) {
            ++length;
            if (mode == 1) {
                ended_by_white = true;
                break;
            }
        } else {
            line_feed = kind == CharClass::line_feed;
            ended_by_white = line_feed;
            length += line_feed ? 1 : 0;
            break;
        }
    }
    if (length == bound) ended_by_white = true;
    if (!ended_by_white) {
        // The character after the token decides; it must be in view too. A carriage return
        // is folded with the character after it; a reference right after a word goes on
        // with it. Any other character starts the next token.
        if (length == ready.size()) return false;
        const unsigned char after = from[length];
        if (char_classes[after] == CharClass::acting &&
            (after == '\r' || (after == '&' && length == head && word_goes_on)))
            return false;
    }
    token.length = length;
    token.ends_line = line_feed;
    token.read_after = !ended_by_white;
    return true;
}

// Finds the plain token at the start of `ready` and gives true; false, `token` untouched,
// when what is in view does not decide the token.
[[gnu::always_inline]] inline bool plain_token(std::string_view ready, int16_t mode,
                                               PlainToken &token) {
    if (ready.empty()) return false;
    const auto *from = reinterpret_cast<const unsigned char *>(ready.data());
    const size_t room = std::min(ready.size(), static_cast<size_t>(token_limit));
    size_t length = 0;
    while (length < room && char_classes[from[length]] == CharClass::name)
        ++length;
    const bool is_word = length != 0;
    if (!is_word) {
        if (char_classes[from[0]] == CharClass::acting) return false;
        length = 1;
    }
    return plain_token_end(ready, length, static_cast<size_t>(token_limit), mode, is_word, token);
}

// A name as read after a trigger: the word with the white space after it, and what the
// store's search and a pushed text take from it.
struct TriggerName {
    char word[token_size];
    uint32_t hash;      // name_hash(word)
    int16_t end_blanks; // trailing_blanks(word)
    int16_t length;     // the characters of word before its trailing white space
};

// lex_trigger_word in mode 0 over text in view, for a word that begins with a name
// character: the name, its white space, and the character that ends it, taken when it is a
// period. Gives the number of characters taken, or 0 when what is in view does not decide
// the word (no name character first, a carriage return, the end of the view or the word's
// bound before its end); the name is hashed and its end blanks counted on the way.
struct NameInView {
    size_t taken = 0;
    unsigned char ending = 0; // the character that ended it, read or (a period) taken
};

[[gnu::always_inline]] inline NameInView trigger_name_in_view(std::string_view ready,
                                                              TriggerName &name) {
    const auto *from = reinterpret_cast<const unsigned char *>(ready.data());
    const size_t limit = std::min(ready.size(), static_cast<size_t>(token_limit));
    uint32_t hash = name_hash_seed;
    size_t at = 0;
    // One look-up both ends the name and gives the character as the hash takes it.
    for (; at < limit && word_bytes_lowered[from[at]] != 0; ++at) {
        name.word[at] = static_cast<char>(from[at]);
        hash = name_hash_step_seen(hash, word_bytes_lowered[from[at]]);
    }
    if (at == 0) return {};
    name.length = static_cast<int16_t>(at);
    int16_t blanks = 0;
    while (at < limit && is_white(from[at]) && from[at] != '\r') {
        name.word[at] = static_cast<char>(from[at]);
        blanks = from[at] == ' ' ? static_cast<int16_t>(blanks + 1) : int16_t{0};
        ++at;
    }
    if (at >= limit || from[at] == '\r') return {};
    name.word[at] = '\0';
    name.hash = hash;
    name.end_blanks = blanks;
    const unsigned char ending = from[at];
    return {ending == '.' ? at + 1 : at, ending};
}

// ---- Reading a text in memory --------------------------------------------------------

// Where a token begins, as the library counts it for error messages: the line from 1, and
// the characters read on it before the token (a carriage return and the character it is
// folded with count as one). Unlike the library's 16-bit counts these do not wrap.
struct Position {
    int32_t line = 1;
    int32_t column = 0;
};

enum class TokenKind : unsigned char {
    word,    // a run of name characters and its white space
    other,   // one other character and its white space, or a trigger as ordinary text
    trigger, // a `%` or `&` that acts on the word after it (Lexer::trigger_word reads it)
    name,    // the word after a trigger
    marker,  // 0x01 and its code
    quoted,  // 0x02, its code and its white space
    comment, // "/*" to "*/" and the white space after it
    end,     // the text is used up
};

struct Token {
    TokenKind kind = TokenKind::end;
    std::string_view text; // as it stands in the text, white space after it included
    Position start;
};

// The tokens of a program text, cut as the scanner cuts them when it reads the text as a
// program file, without running anything: a `%` or `&` where triggers act gives a trigger
// token (or, followed by white space, the ordinary text the scanner makes of it), whose
// word the caller reads next with trigger_word; after a statement the caller skips white
// space as the scanner does. Whether triggers act (outside quotes, where no marker has
// turned them off) and which mode a token is read in are the caller's to say; the lexer
// keeps no such state. Where triggers act, an ampersand right after a word's name
// characters is a reference whose value the scanner reads on with the word: the lexer ends
// the word there and gives the ampersand as a trigger, whatever follows it. A trigger's
// word that a period ends holds the period, which the scanner drops.
//
// As with a program file, one line feed follows the text's last character. It is not part
// of any token's text, and a token cannot begin with it (the scanner would find the input
// used up); a token that reads on past it is given as far as the text goes.
class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token next(bool triggers_act = true, int16_t mode = 0);
    // The word after a trigger: mode 1 after `%`, mode 0 (markers skipped) after `&`.
    Token trigger_word(int16_t mode);
    void skip_white();
    Position position() const { return position_; }

  private:
    class Reader;

    Token token_from(size_t start, Position at, TokenKind kind) const {
        return {kind, text_.substr(start, at_ - start), at};
    }

    std::string_view text_;
    size_t at_ = 0;        // the next character to read
    size_t last_read_ = 0; // where the character just read began
    int16_t appended_ = 0; // characters in the token being read, for its bound
    bool final_line_feed_read_ = false;
    bool triggers_act_ = true;
    bool reference_follows_ = false; // the last word ended at an ampersand that goes on with it
    Position position_;
};

} // namespace vornmac
