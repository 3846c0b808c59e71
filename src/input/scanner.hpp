// The token scanner, which is also the expansion driver: while it looks for the next token
// it runs every `%` statement, function or macro it meets (through the keyword dispatch)
// and substitutes every `&name` reference (by pushing the variable's text as a new input
// source), so the host only ever receives tokens of plain program text.
//
// A token has the shape the lexer gives it (lexer.hpp); the scanner reads it through the
// lexer's token readers, or takes it whole where the input has it in view. Stored texts
// carry two-byte markers: 0x01 with a code that switches the triggers and quote handling,
// and 0x02 with a code for a quoted character. The markers act the same wherever they are
// read, in a program file too.
//
// Token texts and words hold at most 199 characters; a longer run ends the token there
// and the rest starts the next one.
#pragma once
#include "input/lexer.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vornmac {

class ParserContext;
struct VarLevel;

class Scanner {
  public:
    explicit Scanner(ParserContext &context) : context_(context) {}

    // Advances the host's token pair (shift: the next token becomes the current one first),
    // echoing the new token to the log.
    void gettoken(bool shift);
    // Runs of gettoken(true) at once while the next token is plain text (no trigger,
    // statement, comment, quote or marker) or, after the first, one that begins with a
    // reference read in place, and `to` has a token buffer's room left: each
    // new next token's text goes to `to`, one after the other, without terminators, and the
    // token pair ends as the last two requests leave it. At most `max_tokens`; gives how
    // many, with the bytes written in `written`.
    int gettokens(char *to, size_t room, int max_tokens, size_t &written);
    void next_token(int16_t shift);
    void scan_token(int16_t mode, int16_t shift);
    // scan_token(0, 0) for a token the input has in view that the plain steps take whole
    // (a plain token, or one that begins with a reference read in place); false, with
    // nothing read, when there is none.
    bool scan_plain_token();
    // scan_token(0, 0), the token taken in one step where scan_plain_token can.
    void take_token_in_view() {
        if (!scan_plain_token()) scan_token(0, 0);
    }
    // How a statement reads its next word: scan_token(0, 0), then the token's text.
    const char *advance() {
        scan_token(0, 0);
        return next_token_text;
    }
    void read_word(int16_t mode, char *destination);
    void resolve_reference(int16_t mode);
    void skip_white();

    char current_token[token_size] = {};
    char next_token_text[token_size] = {};
    int16_t next_length = 0;
    int16_t token_start_line = 0;
    int16_t token_start_column = 0;
    int16_t token_start_top = -1; // the slot of the source the token began in
    bool triggers_active = true;
    int16_t quoting_depth = 0;
    int16_t quote_protection = 0;
    int16_t quote_state = 0;
    bool period_flag = false;

  private:
    void token_append(unsigned char c);
    void token_end() { next_token_text[next_length] = '\0'; }
    // Steps over the markers that begin `ready`, what the input has in view, as next_token
    // passes over their tokens: each one's code applied, the last code the current character.
    void skip_markers(std::string_view ready);
    // Where the token being scanned starts; it is empty so far.
    void begin_token();
    // The next token becomes the current one.
    void shift_token();
    class TokenReader;

    void count_line_feed(int16_t mode);
    void apply_marker(unsigned char code);
    void scan_raw_token(int16_t mode);
    // The fast path of scan_raw_token: a whole plain token, read in one step from what the
    // input has ready (`ready`, as in.ready() gives it). False, with nothing read, when the
    // general steps must scan it.
    // `as_read`, when given, is pointed at the token's text as it stands in the input.
    bool take_plain_token(std::string_view ready, int16_t mode, const char **as_read);
    // take_plain_token's steps once `ready` is known to start with the plain `token`.
    void take_known_plain_token(std::string_view ready, const PlainToken &token, int16_t mode);
    // Copies `count` ready characters into the token as token_append would, and steps
    // over them.
    void take_into_token(std::string_view ready, size_t count);
    // The fast path of a token that begins with a reference (mode 0): the trigger, its name,
    // a value of name characters taken in place and the rest of the word, all in `ready`,
    // read in one step as expand_triggers and scan_word_rest would read them. False, with
    // nothing read, when the general steps must scan it.
    bool take_reference_token(std::string_view ready);
    // take_reference_token for a token of gettokens after the first, completed and echoed
    // as gettoken does; gives its length. 0 on a refusal: the next token is then `delivered`
    // again, the last one delivered, and the input is as it was.
    size_t take_reference_in_batch(std::string_view ready, std::string_view delivered);
    // The rest of a word whose first characters are in the token (`white_taken`: white
    // space after them too), references that go on with it resolved.
    void scan_word_rest(int16_t mode, bool white_taken);
    bool expand_triggers(int16_t mode);
    // A trigger read whole by read_word: text, a quoted character, a reference, a keyword.
    // True when it made a token.
    bool expand_trigger_word();
    void read_reference_name(int16_t mode, TriggerName &name);
    // resolve_reference once the name is read.
    void substitute_reference(int16_t mode, TriggerName &name);
    // Pushes the value found for a single reference.
    void push_value(int16_t mode, const TriggerName &name, const VarLevel &value);
    // A reference (mode 0) met where a word of a scan in `scan_mode` is being read or is
    // about to begin. A value that is a run of name characters short enough for the token,
    // read from a file-like source, is appended to the token with the blanks that end the
    // name, as reading it as a source up to its pop would append it, and reading goes on
    // where the pop would leave it (`white_taken` then tells whether blanks were appended).
    // Any other reference is resolved as resolve_reference does; false then.
    bool reference_into_word(int16_t scan_mode, bool &white_taken);
    bool value_into_word(int16_t scan_mode, const TriggerName &name, const VarLevel &value,
                         bool &white_taken);
    void resolve_multiple(int16_t mode, char *word);
    // Fast paths of read_word at a trigger before a name (a reference, a keyword or a macro
    // call), for when everything they look at is in view (see InputStack::ready); each gives
    // false, having read nothing, where the general steps are needed.
    bool trigger_before_name();
    bool read_name_in_view(TriggerName &name);
    // A `%` before a name, once trigger_before_name has stepped over it: reads the name and
    // runs it as expand_trigger_word would.
    void dispatch_name();
    // Echoes the new next token (`length` characters; `one_line`: no line feed before the
    // last; `as_read`: its text as it stands in the input, or null) to the log and blanks its
    // white space, as the host's flags ask.
    void echo_and_blank(size_t length, bool one_line, const char *as_read);

    ParserContext &context_;
};

} // namespace vornmac
