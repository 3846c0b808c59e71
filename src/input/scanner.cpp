#include "input/scanner.hpp"

#include "error/contract.hpp"
#include "error/error_numbers.hpp"
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
int16_t quoted_code(unsigned char c) {
    const char *at = c != '\0' ? std::strchr(quoted_characters, c) : nullptr;
    return at != nullptr ? static_cast<int16_t>(at - quoted_characters + 1) : 0;
}
} // namespace

// The lexer's token readers read program input through the input stack into the next token.
class Scanner::TokenReader {
  public:
    explicit TokenReader(Scanner &scanner) : scanner_(scanner), in_(scanner.context_.input) {}

    unsigned char read() {
        in_.read_char();
        return in_.ch;
    }
    void take() { in_.advance_offset(); }
    void step_back() { in_.step_back(); }
    void append(unsigned char c) { scanner_.token_append(c); }
    void append_raw(unsigned char c) {
        VORNMAC_ASSERT(scanner_.next_length < token_limit);
        scanner_.next_token_text[scanner_.next_length++] = static_cast<char>(c);
    }
    void line_feed(int16_t mode) { scanner_.count_line_feed(mode); }
    bool full() const { return scanner_.next_length >= token_limit; }
    // The fast path of a word: the rest of its run of name characters in one step.
    void take_name_run() {
        const std::string_view ready = in_.ready();
        scanner_.take_into_token(
            ready, name_run(ready, static_cast<size_t>(token_limit - scanner_.next_length)));
    }
    bool reference_continues_word() const {
        return scanner_.triggers_active && scanner_.quote_state == 0;
    }
    // Input never runs out here: the stack raises its error (or jumps) instead.
    static constexpr bool exhausted() { return false; }
    void check_source_end() {
        // As read_char leaves it, the source is seldom used up here.
        if (in_.live.end_blanks <= 0 && in_.at_end()) in_.check_source_end();
    }

  private:
    Scanner &scanner_;
    InputStack &in_;
};

void Scanner::token_append(unsigned char c) {
    VORNMAC_ASSERT(next_length < token_limit);
    if (context_.flags.upper_case) c = fold_name_char(c);
    next_token_text[next_length++] = static_cast<char>(c);
}

void Scanner::count_line_feed(int16_t mode) {
    InputStack &in = context_.input;
    in.live.column = 0;
    ++in.live.line;
    if (in.interactive && mode == 0) in.prompt();
}

void Scanner::gettoken(bool shift) {
    if (shift) shift_token();
    // Most tokens of a program are plain text: taken here, they skip the general steps,
    // and their length is known.
    begin_token();
    const std::string_view ready = context_.input.ready();
    const char *as_read = nullptr;
    if (take_plain_token(ready, 0, &as_read)) {
        context_.input.token_completed();
        // Its only line feed can be its last character, unless it is a blank line's.
        echo_and_blank(static_cast<size_t>(next_length), next_token_text[0] != '\n', as_read);
    } else {
        // The markers that close a stored text need no scan of their own.
        if (ready.size() >= 2 && static_cast<unsigned char>(ready[0]) == marker_byte)
            skip_markers(ready);
        next_token(0);
        // The text up to its terminator is what the host reads of a token.
        echo_and_blank(std::strlen(next_token_text), false, nullptr);
    }
}

// The steps of gettoken's plain tokens, with the token pair shifted only at the first: the
// current token is the last but one delivered, copied back from `to` at the end.
int Scanner::gettokens(char *to, size_t room, int max_tokens, size_t &written) {
    InputStack &in = context_.input;
    // Locals, not `written`: a store into `to` could change that, as far as the compiler knows.
    size_t end = 0, last = 0, last_but_one = 0; // offsets in `to`
    int count = 0;
    for (; count < max_tokens && room - end >= token_size; ++count) {
        const std::string_view ready = in.ready();
        PlainToken token;
        size_t length = 0;
        if (plain_token(ready, 0, token)) {
            if (count == 0) shift_token();
            begin_token();
            take_known_plain_token(ready, token, 0);
            in.token_completed();
            echo_and_blank(token.length, next_token_text[0] != '\n', ready.data());
            length = token.length;
        } else if (count == 0 ||
                   (length = take_reference_in_batch(ready, {to + last, end - last})) == 0) {
            // The first token would have to be shifted in before its reference is tried.
            break;
        }
        // Whole words: the token buffer holds them, and `to` has the room.
        for (size_t at = 0; at < length; at += token_word_size)
            store_token_word(to + end + at, load_token_word(next_token_text + at));
        last_but_one = last;
        last = end;
        end += length;
    }
    if (count >= 2)
        store_token_text({to + last_but_one, last - last_but_one}, last - last_but_one,
                         current_token, false);
    written = end;
    return count;
}

// Out of line, as take_reference_token is: most tokens of a batch are plain.
[[gnu::noinline]] size_t Scanner::take_reference_in_batch(std::string_view ready,
                                                          std::string_view delivered) {
    if (ready.size() < 2 || ready[0] != '&') return 0;
    InputStack &in = context_.input;
    const InputStack::Trigger trigger = in.trigger;
    const int16_t line = in.live.line, column = in.live.column, top = in.top;
    if (!take_reference_token(ready)) {
        // A refused reference may have written over the next token and noted its trigger:
        // the pair and the input stand as the last token delivered left them.
        store_token_text(delivered, delivered.size(), next_token_text, false);
        in.trigger = trigger;
        return 0;
    }
    token_start_line = line;
    token_start_column = column;
    token_start_top = top;
    in.token_completed();
    const auto length = static_cast<size_t>(next_length);
    echo_and_blank(length, next_token_text[0] != '\n', nullptr);
    return length;
}

// Inline: every token passes here, and the call would cost as much as the flags' tests.
[[gnu::always_inline]] inline void Scanner::echo_and_blank(size_t length, bool one_line,
                                                           const char *as_read) {
    const ModuleFlags &flags = context_.flags;
    const SourceKind kind = context_.input.live.kind;
    const bool echoed =
        kind == SourceKind::program ||
        ((kind == SourceKind::macro || kind == SourceKind::text) && flags.macro_echo);
    if (flags.write_program && echoed && context_.log) {
        static_assert(token_size % token_word_size == 0);
        // A program file's text stays in its read buffer until the buffer is refilled.
        const bool deferred = as_read != nullptr && kind == SourceKind::program &&
                              !flags.upper_case && context_.input.fast_paths.echo_spans &&
                              context_.log->defer_echo(as_read, length);
        if (!deferred && one_line)
            context_.log->write_token_line(next_token_text, length);
        else if (!deferred)
            context_.log->write_text(next_token_text, length);
    }
    if (!flags.blank_whitespace) return;
    for (size_t i = 0; i < length; ++i)
        if (is_white(static_cast<unsigned char>(next_token_text[i]))) next_token_text[i] = ' ';
}

void Scanner::begin_token() {
    token_start_column = context_.input.live.column;
    token_start_line = context_.input.live.line;
    token_start_top = context_.input.top;
    next_length = 0;
}

void Scanner::shift_token() {
    static_assert(token_size % token_word_size == 0);
    copy_token_text(next_token_text, current_token, token_size);
}

void Scanner::skip_markers(std::string_view ready) {
    InputStack &in = context_.input;
    if (!in.fast_paths.marker_skips) return;
    // A carriage return as the code would be folded with the character after it.
    while (ready.size() >= 2 && static_cast<unsigned char>(ready[0]) == marker_byte &&
           ready[1] != '\r') {
        in.take(2);
        apply_marker(static_cast<unsigned char>(ready[1]));
        ready = in.ready();
    }
}

void Scanner::next_token(int16_t shift) {
    scan_token(0, shift);
    while (static_cast<unsigned char>(next_token_text[0]) == marker_byte) {
        skip_markers(context_.input.ready());
        scan_token(0, 0);
    }
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

bool Scanner::scan_plain_token() {
    begin_token();
    // A plain token is never empty nor a marker: scan_token would complete it.
    if (!take_plain_token(context_.input.ready(), 0, nullptr)) return false;
    context_.input.token_completed();
    return true;
}

// The steps of a token in order: the whole token in view, else read a character; the
// triggers before it run; then a marker, a quoted character, a word or one other character,
// which may open a comment: that is dropped with the white space after it, and the token is
// scanned anew.
void Scanner::scan_raw_token(int16_t mode) {
    InputStack &in = context_.input;
    TokenReader reader(*this);
    for (;;) {
        begin_token();
        if (take_plain_token(in.ready(), mode, nullptr)) return;
        in.read_char();
        if (expand_triggers(mode)) return;
        const unsigned char c = in.ch;
        // Markers act alike in every source, program files included.
        if (c == marker_byte) {
            apply_marker(lex_marker(reader));
            token_end();
            return;
        }
        if (c == quoted_byte) {
            lex_quoted(reader);
            token_end();
            return;
        }
        if (is_name_char(c)) {
            reader.append(c);
            reader.take();
            scan_word_rest(mode, false);
            return;
        }
        if (quote_protection == 0 && c == '\'' && !context_.flags.expand_in_quotes)
            quote_state ^= 1;
        if (lex_other(reader, c, mode) == OtherEnd::complete) {
            token_end();
            return;
        }
        {
            // The slash is the comment's, not text of a token.
            next_length = 0;
            const OpenConstruct comment(context_, OpenAt::token(context_), "/*", "", "", "*/");
            lex_comment(reader);
        }
        skip_white();
        mode = 0;
    }
}

// Inline in both its callers: a plain token costs little more than the call and the saving of
// the registers it needs.
[[gnu::always_inline]] inline bool Scanner::take_plain_token(std::string_view ready, int16_t mode,
                                                             const char **as_read) {
    PlainToken token;
    if (!plain_token(ready, mode, token))
        return mode == 0 && ready.size() >= 2 && ready[0] == '&' && take_reference_token(ready);
    if (as_read != nullptr) *as_read = ready.data();
    take_known_plain_token(ready, token, mode);
    return true;
}

[[gnu::always_inline]] inline void
Scanner::take_known_plain_token(std::string_view ready, const PlainToken &token, int16_t mode) {
    InputStack &in = context_.input;
    store_token_text(ready, token.length, next_token_text, context_.flags.upper_case);
    if (ready[0] == '\n') {
        in.take(1);
        count_line_feed(mode);
        if (token.length > 1) in.take(token.length - 1);
    } else {
        in.take(token.length);
    }
    if (token.ends_line) count_line_feed(mode);
    // The general steps read the character after the token and step back before it.
    if (token.read_after) in.ch = static_cast<unsigned char>(ready[token.length]);
    next_length = static_cast<int16_t>(token.length);
}

// Out of line: the plain tokens' callers would save registers for it on every token.
[[gnu::noinline]] bool Scanner::take_reference_token(std::string_view ready) {
    InputStack &in = context_.input;
    if (!in.fast_paths.reference_tokens || !in.fast_paths.values_in_place || quote_state != 0 ||
        !triggers_active || context_.trace.on())
        return false;
    TriggerName name;
    const NameInView read = trigger_name_in_view(ready.substr(1), name);
    if (read.taken == 0) return false;
    // The trigger as note_trigger sets it once the ampersand is read.
    in.trigger = {in.live.silent_depth, in.live.line, static_cast<int16_t>(in.live.column + 1),
                  in.top};
    if (!in.substitutes_in_place()) return false;
    VarStore &vars = context_.vars;
    const VarLevel *value = vars.find_var_level(vars.current_level, name.word, name.hash,
                                                static_cast<size_t>(name.length));
    if (value == nullptr) return false;
    // As value_into_word stores it: the general steps store the same where they take over.
    const int16_t blanks = name.end_blanks;
    const bool upper_case = context_.flags.upper_case;
    const size_t length =
        store_name_run(value->text, static_cast<size_t>(std::max(token_limit - 1 - blanks, 0)),
                       next_token_text, upper_case);
    if (length == 0 || length != value->length) return false;
    // The rest of the word, as scan_word_rest reads it after the value.
    const size_t name_end = 1 + read.taken;
    const std::string_view after = ready.substr(name_end);
    const size_t held = length + static_cast<size_t>(blanks);
    const size_t bound = static_cast<size_t>(token_limit) - held;
    const bool white_taken = blanks > 0;
    PlainToken rest;
    if (!plain_token_end(after, white_taken ? 0 : name_run(after, bound), bound, 0, !white_taken,
                         rest))
        return false;
    std::fill_n(next_token_text + length, blanks, ' ');
    for (size_t i = 0; i < rest.length; ++i) {
        const auto c = static_cast<unsigned char>(after[i]);
        next_token_text[held + i] = static_cast<char>(upper_case ? fold_name_char(c) : c);
    }
    next_length = static_cast<int16_t>(held + rest.length);
    token_end();
    in.take(name_end + rest.length);
    in.end_in_place_text();
    if (rest.ends_line) count_line_feed(0);
    period_flag = read.ending == '.';
    // Where the rest ended as the general steps leave it: the character they read after it,
    // or the last one taken, or (nothing read after the name) what ended the name.
    if (rest.read_after)
        in.ch = static_cast<unsigned char>(after[rest.length]);
    else if (rest.length == 0)
        in.ch = read.ending;
    return true;
}

void Scanner::take_into_token(std::string_view ready, size_t count) {
    if (count == 0) return;
    VORNMAC_ASSERT(next_length + count <= static_cast<size_t>(token_limit));
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

void Scanner::scan_word_rest(int16_t mode, bool white_taken) {
    TokenReader reader(*this);
    while (lex_word_rest(reader, mode, white_taken) == WordEnd::reference) {
        // The variable's text is read on as part of this word.
        InputStack &in = context_.input;
        in.note_trigger();
        in.advance_offset();
        reference_into_word(mode, white_taken);
    }
    token_end();
}

void Scanner::read_word(int16_t mode, char *destination) {
    TokenReader reader(*this);
    period_flag = lex_trigger_word(reader, mode, destination).period;
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

// Out of line: its callers inline the general steps around it.
[[gnu::noinline]] bool Scanner::read_name_in_view(TriggerName &name) {
    InputStack &in = context_.input;
    const std::string_view ready = in.ready();
    const NameInView read = trigger_name_in_view(ready, name);
    if (read.taken == 0) return false;
    period_flag = read.ending == '.';
    in.take(read.taken);
    // Without a period the general steps read the character after the name and step back.
    in.ch = read.ending;
    return true;
}

// Inline in both callers: it is little more than the call.
[[gnu::always_inline]] inline void Scanner::read_reference_name(int16_t mode, TriggerName &name) {
    if (mode == 0 && read_name_in_view(name)) return;
    const OpenConstruct reading(context_, OpenAt::trigger(context_), mode == 0 ? "&" : "%&",
                                name.word, "", nullptr);
    read_word(mode, name.word);
    name.hash = name_hash(name.word);
    name.end_blanks = trailing_blanks(name.word);
    name.length = static_cast<int16_t>(std::strlen(name.word));
    while (name.length > 0 && is_white(static_cast<unsigned char>(name.word[name.length - 1])))
        --name.length;
}

void Scanner::dispatch_name() {
    // A name begins with a name character, so it is neither a quoted character nor a
    // reference, and read_word reads it alike in either mode.
    TriggerName name;
    if (!read_name_in_view(name)) {
        const OpenConstruct reading(context_, OpenAt::trigger(context_), "%", name.word, "",
                                    nullptr);
        read_word(1, name.word);
        name.hash = name_hash(name.word);
    }
    dispatch_keyword(context_, name.word, name.hash);
    next_length = 0;
}

void Scanner::resolve_reference(int16_t mode) {
    TriggerName name;
    read_reference_name(mode, name);
    run_traced(context_, VORNMAC_TRACE_REFERENCE, name.word,
               [&] { substitute_reference(mode, name); });
}

bool Scanner::reference_into_word(int16_t scan_mode, bool &white_taken) {
    TriggerName name;
    read_reference_name(0, name);
    // A traced reference shows its value as a source does.
    if (!context_.input.fast_paths.values_in_place || name.word[0] == '&' || context_.trace.on() ||
        !context_.input.substitutes_in_place()) {
        run_traced(context_, VORNMAC_TRACE_REFERENCE, name.word,
                   [&] { substitute_reference(0, name); });
        return false;
    }
    VarStore &vars = context_.vars;
    const VarLevel *value = vars.find_var_level(vars.current_level, name.word, name.hash,
                                                static_cast<size_t>(name.length));
    if (value == nullptr) {
        context_.errors.raise(error::undefined_variable, {name.word});
        return false;
    }
    if (value_into_word(scan_mode, name, *value, white_taken)) return true;
    push_value(0, name, *value);
    return false;
}

bool Scanner::value_into_word(int16_t scan_mode, const TriggerName &name, const VarLevel &value,
                              bool &white_taken) {
    const int16_t blanks = name.end_blanks;
    // In mode 1 the first blank would end the token with the text not yet popped.
    if (blanks > 0 && scan_mode == 1) return false;
    // The token must not fill up before the pop: the word goes on after it.
    const int room = token_limit - 1 - next_length - blanks;
    char *to = next_token_text + next_length;
    const size_t length = store_name_run(value.text, static_cast<size_t>(std::max(room, 0)), to,
                                         context_.flags.upper_case);
    // Anything but name characters is left to the general steps: white space at the
    // value's start is skipped, other characters may end the token inside the value or
    // act as triggers and markers. The bytes written past the token are written over.
    if (length == 0 || length != value.length) return false;
    std::fill_n(to + length, blanks, ' ');
    next_length = static_cast<int16_t>(next_length + static_cast<int16_t>(length) + blanks);
    white_taken = blanks > 0;
    context_.input.end_in_place_text();
    return true;
}

void Scanner::substitute_reference(int16_t mode, TriggerName &name) {
    if (name.word[0] == '&') {
        resolve_multiple(mode, name.word);
        return;
    }
    VarStore &vars = context_.vars;
    const VarLevel *value = vars.find_var_level(vars.current_level, name.word, name.hash,
                                                static_cast<size_t>(name.length));
    if (value == nullptr) {
        context_.errors.raise(error::undefined_variable, {name.word});
        return;
    }
    push_value(mode, name, *value);
}

void Scanner::push_value(int16_t mode, const TriggerName &name, const VarLevel &value) {
    InputStack &in = context_.input;
    if (mode == 0) {
        in.substitute(name.word, [&] {
            in.save();
            in.push_text(name.word, value.text, value.length, name.end_blanks);
        });
    } else {
        in.substitute(name.word, [&] {
            in.reread_text(in.top, nullptr, name.end_blanks, in.live.line, in.live.column,
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
                context_.errors.raise(error::undefined_variable, {word});
            else
                text += value->text;
        } else {
            text += word;
        }
    }
    if (context_.trace.on()) context_.trace.rename_innermost(written);
    in.substitute(word, [&] {
        in.reread_text(in.top, nullptr, trailing_blanks(word), in.live.line, in.live.column, text);
    });
}

void Scanner::skip_white() {
    TokenReader reader(*this);
    lex_white(reader);
}

} // namespace vornmac
