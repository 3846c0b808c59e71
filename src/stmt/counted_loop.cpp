// The counted loop %do NAME = FROM %to LIMIT %by STEP; ... %end;
//
// Set-up: FROM, LIMIT and STEP are evaluated once; the variable is set to FROM - STEP;
// the header "%do#NAME#LIMIT#STEP;" is written in front of the body and "%doend## "
// behind it, and that text is handed back as the loop source. Each time the header is read
// the variable goes one step on, and the body is read again while it has not passed the
// limit; otherwise the loop source is dropped. So the body is copied once, however many
// passes the loop makes, and each pass only re-reads text already in memory.
//
// The loop also keeps a record of its header (see loop_records.hpp): a pass whose header
// reads as recorded steps the variable it holds a handle on, writing the new value into
// the value's own block, without scanning the header or looking the name up. Whatever the
// body did to the variable is seen all the same, since the value is looked for and read
// anew on each pass; anything else (no visible value, no number, other words) is left to
// the scanned header, which also raises the errors.
//
// An error while the header is read ends the loop before it is reported, so that a host
// that goes on after the error does not meet the same error on every pass.
#include "error/error_numbers.hpp"
#include "error/recovery_jump.hpp"
#include "func/expression_values.hpp"
#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "stmt/condition.hpp"
#include "stmt/do_statement.hpp"
#include "stmt/loop_records.hpp"
#include "stmt/statement_tokens.hpp"
#include "stmt/text_copier.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace vornmac {

namespace {

constexpr char any_word[] = "XsXsXs"; // never written: the collection runs to the ";"

int32_t wrapping_sum(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// A bound (or the step) as evaluated, and whether its text ran to the statement's ";",
// where the body begins.
struct Bound {
    int32_t value = 0;
    bool ends_statement = false;
    SourcePosition body_at{}; // where the input stood after the ";", when ends_statement
};

// Collects one bound up to `%word` (or the ";") and evaluates it.
Bound evaluate_bound(ParserContext &context, const char *word, bool stop_at_semicolon) {
    const SourcePosition at = current_position(context);
    StatementText collected(context);
    ExpansionOff off(context);
    Bound bound;
    bound.ends_statement =
        collect_condition(context, collected, word, stop_at_semicolon).stopped_at_semicolon;
    bound.body_at = current_position(context);
    off.restore();
    if (collected.report_overflow("do")) return bound;
    bound.value = collected_integer(context, collected, at);
    return bound;
}

// A number of the header: digits, or "-" and digits.
int32_t header_number(ParserContext &context) {
    std::string text = take_token(context);
    if (begins_with(text.c_str(), '-')) text += take_token(context);
    return number_value(context, text.c_str());
}

std::string name_without_white(const char *token) {
    std::string name = token;
    while (!name.empty() && is_white(static_cast<unsigned char>(name.back())))
        name.pop_back();
    return name;
}

// The counter's value after `counter`, and whether the body is read with it: not once it
// has passed the limit, nor when it wrapped past the end of the integers (which has passed
// any limit). The first step after a set-up whose FROM - STEP wrapped wraps back to FROM:
// `wrap_is_set_up` lets that one wrap count as the plain arithmetic it is.
struct NextValue {
    int32_t value;
    bool goes_on;
};
NextValue next_value(int32_t counter, int32_t limit, int32_t step, bool wrap_is_set_up) {
    const int32_t next = wrapping_sum(counter, step);
    const bool ran_past_end = !wrap_is_set_up && static_cast<int64_t>(counter) + step != next;
    return {next, !ran_past_end && (step > 0 ? next <= limit : next >= limit)};
}

// Keeps the record of the loop just pushed in `slot` when its header is read as the words
// written: a name of name characters only, which no expansion touches.
void keep_record(ParserContext &context, int16_t slot, const std::string &name,
                 const std::string &words, int32_t limit, int32_t step) {
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) {
            return is_name_char(static_cast<unsigned char>(c));
        }))
        return;
    MacroVar *variable = context.vars.lookup(name.c_str(), true);
    if (variable == nullptr) return;
    CountedLoopRecord &record = context.loops.at(slot);
    record.header.assign(words);
    record.variable = variable;
    record.text_variable = context.vars.lookup(context.input.source_name().c_str(), true);
    record.limit = limit;
    record.step = step;
    // A negative step is the words "-" and its digits.
    record.last_word_size = static_cast<int16_t>(number_text(step).size() - (step < 0 ? 1 : 0));
}

// The step of a pass through the record: the variable visible with a number goes one
// step on. False, with nothing changed, where the header must be scanned.
bool step_variable(ParserContext &context, CountedLoopRecord &loop, bool wrap_is_set_up,
                   bool &goes_on) {
    VarStore &vars = context.vars;
    VarLevel *value = VarStore::visible_value(loop.variable, vars.current_level);
    if (value == nullptr) return false;
    int32_t counter = loop.written_number;
    char *const text = loop.written.data();
    const size_t length = loop.written_length;
    const bool as_written = value->length == length && std::equal(text, text + length, value->text);
    if (!as_written && !read_integer(value->text, counter)) return false;
    const NextValue next = next_value(counter, loop.limit, loop.step, wrap_is_set_up);
    // Counting up by one mostly changes the last digit alone: it is raised where it is.
    const bool last_digit_up = as_written && length > 0 && counter >= 0 &&
                               static_cast<int64_t>(counter) + 1 == next.value &&
                               text[length - 1] != '9';
    if (last_digit_up) {
        ++text[length - 1];
    } else {
        char *const end = std::to_chars(text, text + loop.written.size() - 1, next.value).ptr;
        *end = '\0';
        loop.written_length = static_cast<uint16_t>(end - text);
    }
    loop.written_number = next.value;
    goes_on = next.goes_on;
    if (value->level != vars.current_level) {
        vars.save(vars.current_level, loop.variable->name, text);
        return true;
    }
    // The value's own digit raised as replace_text would write it, where no text read in
    // place is the value's (which replace_text has kept for its reader first).
    if (last_digit_up && value->level < VarStore::level_limit &&
        value->text != context.input.cursor.text) {
        ++value->text[length - 1];
        return true;
    }
    vars.replace_text(*value, text, loop.written_length);
    return true;
}

// Whether `text` begins with the header's words as recorded, followed by its ";".
bool holds_header(std::string_view text, const CountedLoopRecord &loop) {
    const size_t size = loop.header.size();
    return text.size() > size && text[size] == ';' && text.substr(0, size) == loop.header;
}

// Takes the header's words up to its ";" as the scanner takes them, each one completing a
// token; the last one scanned is the step's digits.
void take_header_words(ParserContext &context, const CountedLoopRecord &loop, size_t count) {
    InputStack &in = context.input;
    in.take(count);
    in.token_completed();
    context.scanner.token_start_line = in.live.line;
    context.scanner.token_start_column = static_cast<int16_t>(in.live.column - loop.last_word_size);
}

// A pass through the loop's record, entered after "%do#": the header's words are in view as
// recorded, and the variable is visible with a number. False, with nothing read, where the
// header must be scanned.
bool step_by_record(ParserContext &context, bool wrap_is_set_up, bool &goes_on) {
    InputStack &in = context.input;
    if (!in.fast_paths.loop_records || in.top < 0) return false;
    CountedLoopRecord &loop = context.loops.at(in.top);
    if (loop.variable == nullptr || !holds_header(in.ready(), loop)) return false;
    if (!step_variable(context, loop, wrap_is_set_up, goes_on)) return false;
    take_header_words(context, loop, loop.header.size());
    return true;
}

// A pass that scans the header "NAME#LIMIT#STEP" after "#". False when the variable has no
// visible value: the loop is then left and the error raised.
bool step_by_header(ParserContext &context, int16_t loop_slot, bool wrap_is_set_up, bool &goes_on) {
    VarStore &vars = context.vars;
    const std::string name = name_without_white(take_token(context));
    const VarLevel *value = vars.find_var_level(vars.current_level, name.c_str());
    if (value == nullptr) {
        leave_loop(context, loop_slot);
        context.errors.raise(error::undefined_variable, {name.c_str()});
        return false;
    }
    const std::string current = value->text;
    take_token(context);
    const int32_t limit = header_number(context);
    take_token(context);
    const int32_t step = header_number(context);
    const NextValue next =
        next_value(number_value(context, current.c_str()), limit, step, wrap_is_set_up);
    vars.save(vars.current_level, name.c_str(), number_text(next.value).c_str());
    goes_on = next.goes_on;
    return true;
}

} // namespace

void counted_loop_setup(ParserContext &context) {
    const std::string name = name_without_white(statement_token(context));
    if (name.size() > statement_name_limit) {
        context.errors.raise(error::variable_name_too_long, {"do", name.c_str()});
        return;
    }
    const char *equals = take_token(context);
    if (!begins_with(equals, '=')) context.errors.raise(error::loop_needs_equals, {equals});

    const int32_t from = [&] {
        const OpenConstructs::Expecting expecting(context, "%to");
        return evaluate_bound(context, "to", false).value;
    }();
    const Bound limit_bound = evaluate_bound(context, "by", true);
    const int32_t limit = limit_bound.value;
    const Bound step_bound = limit_bound.ends_statement ? Bound{1, true, limit_bound.body_at}
                                                        : evaluate_bound(context, any_word, true);
    const int32_t step = step_bound.value;
    if (step == 0) {
        context.errors.raise(error::zero_step);
        return;
    }
    const SourcePosition body_at = step_bound.body_at;
    VarStore &vars = context.vars;
    const int32_t before_from = wrapping_sum(from, -step);
    vars.save(vars.current_level, name.c_str(), number_text(before_from).c_str());

    ExpansionOff off(context);
    const std::string words = name + "#" + number_text(limit) + "#" + number_text(step);
    push_text_back(context, ("%do#" + words + ";").c_str(), body_at);
    StatementText body(context);
    const OpenConstructs::Expecting expecting(context, "%end");
    TextCopier(context, body).statement(CopyMode::loop_body, false);
    off.restore();
    if (body.report_overflow("do")) return;
    InputStack &in = context.input;
    const int16_t below = in.top;
    body.push(body_at);
    if (in.top != below + 1) return;
    context.loops.at(in.top).set_up_wrapped = static_cast<int64_t>(from) - step != before_from;
    keep_record(context, in.top, name, words, limit, step);
}

void counted_loop_step(ParserContext &context) {
    const int16_t loop_slot = context.input.top;
    const bool wrap_is_set_up =
        loop_slot >= 0 && std::exchange(context.loops.at(loop_slot).set_up_wrapped, false);
    bool goes_on = false;
    try {
        if (!step_by_record(context, wrap_is_set_up, goes_on) &&
            !step_by_header(context, loop_slot, wrap_is_set_up, goes_on))
            return;
        if (goes_on) {
            context.scanner.take_token_in_view();
            return;
        }
    } catch (const RecoveryJump &) {
        leave_loop(context, loop_slot);
        throw;
    }
    std::strcpy(statement_token(context), ";");
    leave_loop(context, loop_slot);
}

bool pass_by_record(ParserContext &context) {
    // The loop text begins with a marker token: a scan that meets it hands it back and
    // is called again, and only the host's own scan (the one that dispatches at depth 1)
    // is sure to go on past it unseen. The trace shows each step as a statement of its own.
    constexpr std::string_view opening = "\x01\x01%do#";
    InputStack &in = context.input;
    if (!in.fast_paths.loop_records || context.trace.on() || context.nesting.dispatch != 1 ||
        in.top < 0 || in.live.kind != SourceKind::text)
        return false;
    CountedLoopRecord &loop = context.loops.at(in.top);
    if (loop.variable == nullptr || loop.text_variable == nullptr) return false;
    VarStore &vars = context.vars;
    // The loop text as the rewind finds it by its name: still the text being read.
    const VarLevel *text_value = VarStore::visible_value(loop.text_variable, vars.current_level);
    if (text_value == nullptr || text_value->text != in.cursor.text) return false;
    const std::string_view text(in.cursor.text, in.cursor.text_size);
    if (text.substr(0, opening.size()) != opening ||
        !holds_header(text.substr(opening.size()), loop))
        return false;
    const int16_t loop_slot = in.top;
    bool goes_on = false;
    try {
        if (!step_variable(context, loop, false, goes_on)) return false;
        in.rewind(text_value);
        take_header_words(context, loop, opening.size() + loop.header.size());
        if (goes_on) {
            context.scanner.take_token_in_view();
            return true;
        }
    } catch (const RecoveryJump &) {
        leave_loop(context, loop_slot);
        throw;
    }
    std::strcpy(statement_token(context), ";");
    leave_loop(context, loop_slot);
    return true;
}

} // namespace vornmac
