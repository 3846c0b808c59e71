#include "input/scanner.hpp"

#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "input/quoting_bytes.hpp"
#include "input/text_chain.hpp"
#include "input/token_copy.hpp"
#include "stmt/dispatch.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace vornmac {

namespace {
constexpr int16_t undefined_variable = 2021;

// The characters a word may start with that are not name characters. A table: every
// character of every %-word and reference name is asked.
constexpr std::array<bool, 256> special_characters = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("*()%'\"&"))
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool is_special(unsigned char c) {
    return special_characters[c];
}

// How the plain-token fast path sees a byte. `general`: a character that cannot start a
// plain token or be part of one's white space: a trigger, a marker, the slash of a comment,
// a quote, a carriage return (folded with the character after it) or a zero byte (it would
// end the token's text early).
enum class PlainClass : unsigned char { other, name, white, line_feed, general };

constexpr std::array<PlainClass, 256> plain_classes = [] {
    std::array<PlainClass, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const auto byte = static_cast<unsigned char>(c);
        PlainClass &entry = table[byte];
        if (is_name_char(byte))
            entry = PlainClass::name;
        else if (byte == '\n')
            entry = PlainClass::line_feed;
        else if (byte != '\r' && is_white(byte))
            entry = PlainClass::white;
        else if (byte == '&' || byte == '%' || byte == marker_byte || byte == quoted_byte ||
                 byte == '/' || byte == '\'' || byte == '\r' || byte == '\0')
            entry = PlainClass::general;
    }
    return table;
}();

// Each name character as the token stores it, 0 for every other byte: one look-up both
// tells a word's end and folds the case.
constexpr std::array<unsigned char, 256> word_bytes(bool lower_case) {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        if (is_name_char(static_cast<unsigned char>(c)))
            table[static_cast<size_t>(c)] = lower_case
                                                ? fold_name_char(static_cast<unsigned char>(c))
                                                : static_cast<unsigned char>(c);
    return table;
}
constexpr std::array<unsigned char, 256> word_bytes_as_read = word_bytes(false);
constexpr std::array<unsigned char, 256> word_bytes_lowered = word_bytes(true);

int16_t quoted_code(unsigned char c) {
    const char *at = c != '\0' ? std::strchr(quoted_characters, c) : nullptr;
    return at != nullptr ? static_cast<int16_t>(at - quoted_characters + 1) : 0;
}
} // namespace

void Scanner::token_append(unsigned char c) {
    if (context_.flags.upper_case) c = fold_name_char(c);
    next_token_text[next_length++] = static_cast<char>(c);
}

void Scanner::count_line_feed(int16_t mode) {
    InputStack &in = context_.input;
    in.column = 0;
    ++in.line;
    if (in.interactive && mode == 0) in.prompt();
}

void Scanner::gettoken(bool shift) {
    if (shift) shift_token();
    // Most tokens of a program are plain text: taken here, they skip the general steps,
    // and their length is known.
    begin_token();
    if (take_plain_token(0)) {
        context_.input.token_completed();
        // Its only line feed can be its last character, unless it is a blank line's.
        echo_and_blank(static_cast<size_t>(next_length), next_token_text[0] != '\n');
    } else {
        next_token(0);
        // The text up to its terminator is what the host reads of a token.
        echo_and_blank(std::strlen(next_token_text), false);
    }
}

// Inline: every token passes here, and the call would cost as much as the flags' tests.
[[gnu::always_inline]] inline void Scanner::echo_and_blank(size_t length, bool one_line) {
    const ModuleFlags &flags = context_.flags;
    const char kind = context_.input.kind;
    const bool echoed = kind == ' ' || ((kind == 'm' || kind == 's') && flags.macro_echo);
    if (flags.write_program && echoed && context_.log) {
        static_assert(token_size % token_word_size == 0);
        if (one_line)
            context_.log->write_token_line(next_token_text, length);
        else
            context_.log->write_text(next_token_text, length);
    }
    if (!flags.blank_whitespace) return;
    for (size_t i = 0; i < length; ++i)
        if (is_white(static_cast<unsigned char>(next_token_text[i]))) next_token_text[i] = ' ';
}

void Scanner::begin_token() {
    token_start_column = context_.input.column;
    token_start_line = context_.input.line;
    token_start_top = context_.input.top;
    next_length = 0;
}

void Scanner::shift_token() {
    static_assert(token_size % token_word_size == 0);
    copy_token_text(next_token_text, current_token, token_size);
}

void Scanner::next_token(int16_t shift) {
    scan_token(0, shift);
    while (static_cast<unsigned char>(next_token_text[0]) == marker_byte)
        scan_token(0, 0);
    if (static_cast<unsigned char>(next_token_text[0]) != quoted_byte) return;
    const unsigned char code = static_cast<unsigned char>(next_token_text[1]);
    if (code < 1 || code > 5) return;
    std::memmove(next_token_text, next_token_text + 1, static_cast<size_t>(next_length));
    next_token_text[0] = quoted_characters[code - 1];
    --next_length;
}

void Scanner::scan_token(int16_t mode, int16_t shift) {
    if (shift == 1) shift_token();
    scan_raw_token(mode);
    // A marker token carries no text: it ends no chain of substitutions.
    if (next_length > 0 && static_cast<unsigned char>(next_token_text[0]) != marker_byte)
        context_.input.token_completed();
}

void Scanner::scan_raw_token(int16_t mode) {
    InputStack &in = context_.input;
    for (;;) {
        begin_token();
        if (take_plain_token(mode)) return;
        in.read_char();
        if (expand_triggers(mode)) return;
        const unsigned char c = in.ch;
        // Markers act alike in every source, program files included.
        if (c == marker_byte) {
            scan_marker();
            return;
        }
        if (c == quoted_byte) {
            scan_quoted_character();
            return;
        }
        if (is_name_char(c)) {
            scan_word(mode);
            return;
        }
        if (!scan_other(mode)) return;
        // A comment was dropped together with the white space after it: scan anew.
        skip_white();
        mode = 0;
    }
}

// Inline in both its callers: a plain token costs little more than the call and the saving of
// the registers it needs.
[[gnu::always_inline]] inline bool Scanner::take_plain_token(int16_t mode) {
    InputStack &in = context_.input;
    const std::string_view ready = in.ready();
    if (ready.empty()) return false;
    const auto *from = reinterpret_cast<const unsigned char *>(ready.data());
    const size_t room = std::min(ready.size(), static_cast<size_t>(token_limit));
    // As scan_word and scan_other read: the word or the one character, then the white space
    // after it up to and including a line feed (one character of it in mode 1).
    size_t length = 0;
    while (length < room && plain_classes[from[length]] == PlainClass::name)
        ++length;
    const bool is_word = length != 0;
    if (!is_word) {
        if (plain_classes[from[0]] == PlainClass::general) return false;
        length = 1;
    }
    const size_t end = length;
    bool ended_by_white = false; // by a line feed, a mode 1 token's white space or the room
    bool line_feed = false;
    while (length < room) {
        const PlainClass kind = plain_classes[from[length]];
        if (kind == PlainClass::white) {
            ++length;
            if (mode == 1) {
                ended_by_white = true;
                break;
            }
        } else {
            line_feed = kind == PlainClass::line_feed;
            ended_by_white = line_feed;
            length += line_feed ? 1 : 0;
            break;
        }
    }
    if (length == static_cast<size_t>(token_limit)) ended_by_white = true;
    if (!ended_by_white) {
        // The character after the token decides; it must be ready too.
        if (length == ready.size()) return false;
        // A carriage return is folded with the character after it; a reference right after a
        // word is read on as part of it. Any other character starts the next token.
        const unsigned char after = from[length];
        if (plain_classes[after] == PlainClass::general &&
            (after == '\r' || (after == '&' && length == end && is_word)))
            return false;
    }
    store_token_text(ready, length, next_token_text, context_.flags.upper_case);
    if (from[0] == '\n') {
        // A blank line's line feed starts a token of its own and counts as a line.
        in.take(1);
        count_line_feed(mode);
        if (length > 1) in.take(length - 1);
    } else {
        in.take(length);
    }
    if (line_feed) count_line_feed(mode);
    // The general steps read the character after the token and step back before it.
    if (!ended_by_white) in.ch = from[length];
    next_length = static_cast<int16_t>(length);
    return true;
}

size_t Scanner::name_run(std::string_view text, size_t room) {
    const size_t limit = std::min(text.size(), room);
    size_t length = 0;
    while (length < limit && is_name_char(static_cast<unsigned char>(text[length])))
        ++length;
    return length;
}

void Scanner::take_into_token(std::string_view ready, size_t count) {
    if (count == 0) return;
    char *to = next_token_text + next_length;
    if (context_.flags.upper_case) {
        for (size_t i = 0; i < count; ++i) {
            to[i] = static_cast<char>(fold_name_char(static_cast<unsigned char>(ready[i])));
        }
    } else {
        std::memcpy(to, ready.data(), count);
    }
    next_length = static_cast<int16_t>(next_length + static_cast<int16_t>(count));
    context_.input.take(count);
}

bool Scanner::expand_triggers(int16_t mode) {
    InputStack &in = context_.input;
    while (quote_state == 0 && triggers_active && (in.ch == '&' || in.ch == '%')) {
        in.note_trigger();
        // A trigger before a name, the common case, is a reference, a keyword or a macro
        // call: read_word would take the trigger alone. A value of name characters begins
        // a word.
        if (in.ch == '&' && trigger_before_name()) {
            bool white_taken = false;
            if (reference_into_word(mode, white_taken)) {
                scan_word_rest(mode, white_taken);
                return true;
            }
        } else if (in.ch == '%' && trigger_before_name()) {
            dispatch_name();
        } else if (expand_trigger_word()) {
            return true;
        }
        skip_white();
        in.read_char();
    }
    return false;
}

bool Scanner::expand_trigger_word() {
    char word[token_size];
    context_.input.step_back();
    {
        const OpenConstruct reading(context_, OpenAt::trigger(context_), "", word, "", nullptr);
        read_word(0, word);
    }
    if (std::strlen(word) != 1) {
        // A trigger followed by white space is ordinary text.
        next_length = 0;
        for (const char *c = word; *c != '\0'; ++c)
            next_token_text[next_length++] = *c;
        token_end();
        return true;
    }
    if (word[0] == '&') {
        resolve_reference(0);
        return false;
    }
    char name[token_size];
    {
        const OpenConstruct reading(context_, OpenAt::trigger(context_), "%", name, "", nullptr);
        read_word(1, name);
    }
    const int16_t code = quoted_code(static_cast<unsigned char>(name[0]));
    if (code != 0) {
        next_length = 0;
        next_token_text[next_length++] = static_cast<char>(quoted_byte);
        next_token_text[next_length++] = static_cast<char>(code);
        for (const char *c = name + 1; *c != '\0' && next_length < token_limit; ++c)
            next_token_text[next_length++] = *c;
        token_end();
        return true;
    }
    if (name[0] == '&')
        resolve_reference(1);
    else
        dispatch_keyword(context_, name);
    next_length = 0;
    return false;
}

void Scanner::apply_marker(unsigned char code) {
    const bool opens = code == 0x03 || code == 0x07;
    const bool closes = code == 0x04 || code == 0x08;
    if (opens) {
        ++quoting_depth;
        triggers_active = false;
    }
    if (closes && --quoting_depth == 0) triggers_active = true;
    if (code == 0x05 || code == 0x07) ++quote_protection;
    if (code == 0x06 || code == 0x08) --quote_protection;
}

void Scanner::scan_marker() {
    InputStack &in = context_.input;
    token_append(marker_byte);
    in.advance_offset();
    in.read_char();
    const unsigned char code = in.ch;
    next_token_text[next_length++] = static_cast<char>(code);
    in.advance_offset();
    token_end();
    apply_marker(code);
}

void Scanner::scan_quoted_character() {
    InputStack &in = context_.input;
    token_append(quoted_byte);
    in.advance_offset();
    in.read_char();
    next_token_text[next_length++] = static_cast<char>(in.ch);
    in.advance_offset();
    // All the white space after it belongs to the token, line feeds included, as a quoted
    // character made by `%(` carries it.
    while (next_length < token_limit) {
        in.read_char();
        if (!is_white(in.ch)) {
            in.step_back();
            break;
        }
        if (in.ch == '\n') count_line_feed(0);
        token_append(in.ch);
        in.advance_offset();
    }
    token_end();
}

void Scanner::scan_word(int16_t mode) {
    InputStack &in = context_.input;
    token_append(in.ch);
    in.advance_offset();
    scan_word_rest(mode, false);
}

void Scanner::scan_word_rest(int16_t mode, bool white_taken) {
    InputStack &in = context_.input;
    while (next_length < token_limit) {
        if (!white_taken) {
            // Fast path: the rest of a run of name characters in one step.
            const std::string_view ready = in.ready();
            take_into_token(ready, name_run(ready, static_cast<size_t>(token_limit - next_length)));
            if (next_length == token_limit) break;
        }
        in.read_char();
        const unsigned char c = in.ch;
        if (is_name_char(c)) {
            if (white_taken) {
                in.step_back();
                break;
            }
            token_append(c);
            in.advance_offset();
        } else if (is_white(c)) {
            if (c == '\n') count_line_feed(mode);
            token_append(c);
            in.advance_offset();
            if (c == '\n' || mode == 1) break;
            white_taken = true;
        } else if (c == '&' && !white_taken && triggers_active && quote_state == 0) {
            // The variable's text is read on as part of this word.
            in.note_trigger();
            in.advance_offset();
            reference_into_word(mode, white_taken);
        } else {
            in.step_back();
            break;
        }
    }
    token_end();
}

bool Scanner::scan_other(int16_t mode) {
    InputStack &in = context_.input;
    const unsigned char first = in.ch;
    if (quote_protection == 0 && first == '\'' && !context_.flags.expand_in_quotes)
        quote_state ^= 1;
    // A blank line's line feed starts a token of its own; it still counts as a line.
    if (first == '\n') count_line_feed(mode);
    token_append(first);
    in.advance_offset();
    while (next_length < token_limit) {
        in.read_char();
        const unsigned char c = in.ch;
        if (first == '/' && c == '*') {
            skip_comment();
            return true;
        }
        if (!is_white(c)) {
            in.step_back();
            break;
        }
        if (c == '\n') count_line_feed(mode);
        token_append(c);
        in.advance_offset();
        if (c == '\n' || mode == 1) break;
    }
    token_end();
    return false;
}

void Scanner::skip_comment() {
    InputStack &in = context_.input;
    // The slash is the comment's, not text of a token.
    next_length = 0;
    const OpenConstruct comment(context_, OpenAt::token(context_), "/*", "", "", "*/");
    in.advance_offset();
    bool after_star = false;
    for (;;) {
        in.read_char();
        in.advance_offset();
        if (in.ch == '\n') count_line_feed(0);
        if (after_star && in.ch == '/') break;
        after_star = in.ch == '*';
    }
    next_length = 0;
}

void Scanner::read_word(int16_t mode, char *destination) {
    InputStack &in = context_.input;
    enum class Collected { nothing, name, special } collected = Collected::nothing;
    bool white_taken = false;
    int16_t length = 0;
    period_flag = false;
    // Terminated as it grows: what was read is lost if the input ends here (OpenConstruct).
    destination[0] = '\0';
    for (;;) {
        in.read_char();
        unsigned char c = in.ch;
        // Markers before a word are skipped; a doubled one is dropped whole.
        while (mode == 0 && c == marker_byte && collected == Collected::nothing) {
            in.advance_offset();
            in.read_char();
            c = in.ch;
            if (c != marker_byte) break;
            in.advance_offset();
            in.read_char();
            c = in.ch;
        }
        // A special character with its white space may become a quoted character, whose
        // marker takes one byte more in the token: leave room for it.
        const int16_t limit = collected == Collected::special ? token_limit - 1 : token_limit;
        if (length >= limit) {
            in.step_back();
            break;
        }
        if (c == '.') {
            in.advance_offset();
            period_flag = true;
            break;
        }
        const bool takes_name = is_name_char(c) && collected != Collected::special && !white_taken;
        const bool takes_white = is_white(c) && collected != Collected::nothing;
        const bool takes_special = collected == Collected::nothing && is_special(c);
        if (!takes_name && !takes_white && !takes_special) {
            in.step_back();
            break;
        }
        if (takes_name) collected = Collected::name;
        if (takes_special) collected = Collected::special;
        if (takes_white) white_taken = true;
        destination[length++] = static_cast<char>(c);
        destination[length] = '\0';
        in.advance_offset();
    }
}

bool Scanner::trigger_before_name() {
    // The trigger has been read: read_word would take it alone and step back from the name
    // character after it.
    InputStack &in = context_.input;
    // ready() counts the trigger as still to come: it holds the character after it when it
    // holds two.
    const std::string_view ready = in.ready();
    if (ready.size() < 2 || !is_name_char(static_cast<unsigned char>(ready[0]))) return false;
    in.advance_offset();
    in.ch = static_cast<unsigned char>(ready[0]);
    period_flag = false;
    return true;
}

bool Scanner::read_name_in_view(ReferenceName &name) {
    // A name, the white space after it and the character that ends the word (a period is
    // taken), shorter than a word may be. A carriage return would be folded with the
    // character after it, so the general steps read it. The name is hashed and its end
    // blanks counted on the way.
    InputStack &in = context_.input;
    const std::string_view ready = in.ready();
    const auto *from = reinterpret_cast<const unsigned char *>(ready.data());
    const size_t limit = std::min(ready.size(), static_cast<size_t>(token_limit));
    uint32_t hash = name_hash_seed;
    size_t at = 0;
    while (at < limit && is_name_char(from[at])) {
        name.word[at] = static_cast<char>(from[at]);
        hash = name_hash_step(hash, from[at]);
        ++at;
    }
    if (at == 0) return false;
    int16_t blanks = 0;
    while (at < limit && is_white(from[at]) && from[at] != '\r') {
        name.word[at] = static_cast<char>(from[at]);
        blanks = from[at] == ' ' ? static_cast<int16_t>(blanks + 1) : int16_t{0};
        ++at;
    }
    if (at >= limit || from[at] == '\r') return false;
    const unsigned char ending = from[at];
    name.word[at] = '\0';
    name.hash = hash;
    name.end_blanks = blanks;
    period_flag = ending == '.';
    in.take(period_flag ? at + 1 : at);
    in.ch = ending;
    return true;
}

void Scanner::read_reference_name(int16_t mode, ReferenceName &name) {
    if (mode == 0 && read_name_in_view(name)) return;
    const OpenConstruct reading(context_, OpenAt::trigger(context_), mode == 0 ? "&" : "%&",
                                name.word, "", nullptr);
    read_word(mode, name.word);
    name.hash = name_hash(name.word);
    name.end_blanks = trailing_blanks(name.word);
}

void Scanner::dispatch_name() {
    // A name begins with a name character, so it is neither a quoted character nor a
    // reference, and read_word reads it alike in either mode.
    ReferenceName name;
    if (!read_name_in_view(name)) {
        const OpenConstruct reading(context_, OpenAt::trigger(context_), "%", name.word, "",
                                    nullptr);
        read_word(1, name.word);
    }
    dispatch_keyword(context_, name.word);
    next_length = 0;
}

void Scanner::resolve_reference(int16_t mode) {
    ReferenceName name;
    read_reference_name(mode, name);
    run_traced(context_, VORNMAC_TRACE_REFERENCE, name.word,
               [&] { substitute_reference(mode, name); });
}

bool Scanner::reference_into_word(int16_t scan_mode, bool &white_taken) {
    ReferenceName name;
    read_reference_name(0, name);
    // A traced reference shows its value as a source does.
    if (!values_in_place || name.word[0] == '&' || context_.trace.on() ||
        !context_.input.substitutes_in_place()) {
        run_traced(context_, VORNMAC_TRACE_REFERENCE, name.word,
                   [&] { substitute_reference(0, name); });
        return false;
    }
    VarStore &vars = context_.vars;
    const VarLevel *value = vars.find_var_level(vars.current_level, name.word, name.hash);
    if (value == nullptr) {
        context_.errors.raise(undefined_variable, {name.word});
        return false;
    }
    if (value_into_word(scan_mode, name, *value, white_taken)) return true;
    push_value(0, name, *value);
    return false;
}

bool Scanner::value_into_word(int16_t scan_mode, const ReferenceName &name, const VarLevel &value,
                              bool &white_taken) {
    const int16_t blanks = name.end_blanks;
    // In mode 1 the first blank would end the token with the text not yet popped.
    if (blanks > 0 && scan_mode == 1) return false;
    // The token must not fill up before the pop: the word goes on after it.
    const int room = token_limit - 1 - next_length - blanks;
    const auto &bytes = context_.flags.upper_case ? word_bytes_lowered : word_bytes_as_read;
    const auto *text = reinterpret_cast<const unsigned char *>(value.text);
    char *to = next_token_text + next_length;
    int length = 0;
    while (length < room && bytes[text[length]] != 0) {
        to[length] = static_cast<char>(bytes[text[length]]);
        ++length;
    }
    // Anything but name characters is left to the general steps: white space at the
    // value's start is skipped, other characters may end the token inside the value or
    // act as triggers and markers. The bytes written past the token are written over.
    if (length == 0 || text[length] != '\0') return false;
    for (int i = 0; i < blanks; ++i)
        to[length + i] = ' ';
    next_length = static_cast<int16_t>(next_length + length + blanks);
    white_taken = blanks > 0;
    context_.input.end_in_place_text();
    return true;
}

void Scanner::substitute_reference(int16_t mode, ReferenceName &name) {
    if (name.word[0] == '&') {
        resolve_multiple(mode, name.word);
        return;
    }
    VarStore &vars = context_.vars;
    const VarLevel *value = vars.find_var_level(vars.current_level, name.word, name.hash);
    if (value == nullptr) {
        context_.errors.raise(undefined_variable, {name.word});
        return;
    }
    push_value(mode, name, *value);
}

void Scanner::push_value(int16_t mode, const ReferenceName &name, const VarLevel &value) {
    InputStack &in = context_.input;
    if (mode == 0) {
        in.substitute(name.word, [&] {
            in.save(0);
            in.push_text(name.word, value.text, name.end_blanks);
        });
    } else {
        in.substitute(name.word, [&] {
            in.reread_text(in.top, nullptr, name.end_blanks, in.line, in.column,
                           std::string("%") + value.text);
        });
    }
}

void Scanner::resolve_multiple(int16_t mode, char *word) {
    InputStack &in = context_.input;
    VarStore &vars = context_.vars;
    // Each pair of ampersands becomes one, resolved when the result is scanned again.
    std::string text = mode == 1 ? "%&" : "&";
    std::string written = word; // the name as written, for the trace
    bool pending = false;
    auto ends_word = [&] {
        const size_t length = std::strlen(word);
        return period_flag || length == 0 || is_white(static_cast<unsigned char>(word[length - 1]));
    };
    const OpenConstruct reading(context_, OpenAt::trigger(context_), "&", word, "", nullptr);
    while (!ends_word()) {
        read_word(mode, word);
        written += word;
        if (word[0] == '&') {
            if (pending) text += '&';
            pending = !pending;
        } else if (pending) {
            pending = false;
            const VarLevel *value = vars.find_var_level(vars.current_level, word);
            if (value == nullptr)
                context_.errors.raise(undefined_variable, {word});
            else
                text += value->text;
        } else {
            text += word;
        }
    }
    if (context_.trace.on()) context_.trace.rename_innermost(written);
    in.substitute(word, [&] {
        in.reread_text(in.top, nullptr, trailing_blanks(word), in.line, in.column, text);
    });
}

void Scanner::skip_white() {
    InputStack &in = context_.input;
    in.read_char();
    while (is_white(in.ch)) {
        if (in.ch == '\n') count_line_feed(0);
        in.advance_offset();
        in.read_char();
    }
    // As read_char leaves it, the source is seldom used up here.
    if (in.end_blanks <= 0 && in.at_end()) in.check_source_end();
    in.step_back();
}

} // namespace vornmac
