// The counted loop %do NAME = FROM %to LIMIT %by STEP; ... %end;
//
// Set-up: FROM, LIMIT and STEP are evaluated once; the variable is set to FROM - STEP;
// the header "%do#NAME#LIMIT#STEP;" is written in front of the body and "%doend## "
// behind it, and that text is handed back as the loop source. Each time the header is read
// the variable goes one step on, and the body is read again while it has not passed the
// limit; otherwise the loop source is dropped. So the body is copied once, however many
// passes the loop makes, and each pass only re-reads text already in memory.
//
// An error while the header is read ends the loop before it is reported, so that a host
// that goes on after the error does not meet the same error on every pass.
#include "error/recovery_jump.hpp"
#include "func/expression_values.hpp"
#include "host/parser_context.hpp"
#include "stmt/condition.hpp"
#include "stmt/do_statement.hpp"
#include "stmt/stmt_errors.hpp"
#include "stmt/text_copier.hpp"
#include "vars/name_compare.hpp"

#include <cstring>
#include <string>

namespace vornmac {

namespace {

constexpr char any_word[] = "XsXsXs"; // never written: the collection runs to the ";"

int32_t wrapping_sum(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// Collects one bound up to `%word` (or the ";") and evaluates it.
int32_t evaluate_bound(ParserContext &context, const char *word, bool stop_at_semicolon,
                       bool &stopped_at_semicolon) {
    const SourcePosition at = current_position(context);
    StatementText collected(context);
    ExpansionOff off(context);
    stopped_at_semicolon =
        collect_condition(context, collected, word, stop_at_semicolon).stopped_at_semicolon;
    off.restore();
    if (collected.report_overflow("do")) return 0;
    return integer_of(context, evaluate_collected(context, collected, at));
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

} // namespace

void counted_loop_setup(ParserContext &context) {
    const std::string name = name_without_white(statement_token(context));
    if (name.size() > stmt_errors::name_limit) {
        context.errors.raise(stmt_errors::name_too_long, {"do", name.c_str()});
        return;
    }
    const char *equals = take_token(context);
    if (!begins_with(equals, '=')) context.errors.raise(stmt_errors::loop_needs_equals, {equals});

    bool at_semicolon = false;
    const int32_t from = evaluate_bound(context, "to", false, at_semicolon);
    const int32_t limit = evaluate_bound(context, "by", true, at_semicolon);
    int32_t step = 1;
    if (!at_semicolon) step = evaluate_bound(context, any_word, true, at_semicolon);
    if (step == 0) {
        context.errors.raise(stmt_errors::zero_step);
        return;
    }
    const SourcePosition body_at = current_position(context);
    VarStore &vars = context.vars;
    vars.save(vars.current_level, name.c_str(), number_text(wrapping_sum(from, -step)).c_str());

    ExpansionOff off(context);
    const std::string header =
        "%do#" + name + "#" + number_text(limit) + "#" + number_text(step) + ";";
    push_text_back(context, header.c_str(), body_at);
    StatementText body(context);
    TextCopier(context, body).statement(CopyMode::loop_body, false);
    off.restore();
    if (body.report_overflow("do")) return;
    body.push(body_at);
}

void counted_loop_step(ParserContext &context) {
    InputStack &in = context.input;
    const int16_t loop_slot = in.top;
    VarStore &vars = context.vars;
    const std::string name = name_without_white(take_token(context));
    try {
        const VarLevel *value = vars.find_var_level(vars.current_level, name.c_str());
        if (value == nullptr) {
            leave_loop(context, loop_slot);
            context.errors.raise(stmt_errors::undefined_variable, {name.c_str()});
            return;
        }
        const std::string current = value->text;
        take_token(context);
        const int32_t limit = header_number(context);
        take_token(context);
        const int32_t step = header_number(context);
        const int32_t counter = number_value(context, current.c_str());
        const int32_t next = wrapping_sum(counter, step);
        vars.save(vars.current_level, name.c_str(), number_text(next).c_str());
        // A counter that wraps past the end of the integers has passed any limit.
        const bool wrapped = static_cast<int64_t>(counter) + step != next;
        if (!wrapped && (step > 0 ? next <= limit : next >= limit)) {
            take_token(context);
            return;
        }
    } catch (const RecoveryJump &) {
        leave_loop(context, loop_slot);
        throw;
    }
    std::strcpy(statement_token(context), ";");
    leave_loop(context, loop_slot);
}

} // namespace vornmac
