// The selection %do %select(VALUE); (or %switch) with its branches
//   %case V1, V2, ...; statements %end;   and   %otherwise; statements %end;
// closed by the selection's own %end;. VALUE is evaluated once. The branches are read in
// written order with expansion off; the first that matches is copied (as a plain
// "%do; ... %end;" block), every other is skipped, and only the chosen one is handed back
// to be read. A case matches when one of its values equals VALUE by the name comparison
// (case-insensitive, trailing white space ignored); %otherwise matches when no branch has
// matched before it, wherever it stands. VALUE is compared as the evaluator gives it, with
// its quoting markers and bytes from 128 up: unlike a condition or a loop bound, it is not
// put through the display conversion.
#include "error/error_numbers.hpp"
#include "func/evaluator.hpp"
#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "stmt/do_statement.hpp"
#include "stmt/text_copier.hpp"
#include "vars/name_compare.hpp"

#include <optional>
#include <string>

namespace vornmac {

namespace {

// Reads the values of a %case up to its ";": true when one of them equals the value.
bool case_matches(ParserContext &context, const std::string &value) {
    bool matched = false;
    std::string candidate;
    for (const char *token = take_token(context);; token = take_token(context)) {
        const bool ends = begins_with(token, ';');
        if (ends || begins_with(token, ',')) {
            matched = matched || name_compare(candidate.c_str(), value.c_str()) == 0;
            candidate.clear();
            if (ends) return matched;
        } else {
            candidate += token;
        }
    }
}

} // namespace

void selection(ParserContext &context, ExpansionOff &off) {
    const OpenConstructs::Expecting expecting(context, "%end");
    Scanner &scanner = context.scanner;
    scanner.triggers_active = true;
    if (!begins_with(take_token(context), '('))
        context.errors.raise(error::select_needs_parenthesis);
    const std::string value = eval_expression(context);
    scanner.triggers_active = false;
    if (begins_with(statement_token(context), ';')) take_token(context);

    std::optional<StatementText> chosen;
    SourcePosition chosen_at{};
    for (;;) {
        if (!begins_with(statement_token(context), '%'))
            context.errors.raise(error::branch_needs_percent, {statement_token(context)});
        const OpenAt branch_at = OpenAt::token(context);
        const char *word = take_token(context);
        bool matches = false;
        if (is_word(word, "end")) {
            const OpenConstructs::Expecting closing(context, ";");
            take_token(context);
            break;
        }
        const char *branch = is_word(word, "case") ? "case" : "otherwise";
        if (is_word(word, "case")) {
            matches = case_matches(context, value) && !chosen;
        } else if (is_word(word, "otherwise")) {
            matches = !chosen;
            take_token(context);
        } else {
            continue; // not consumed: reported as a branch without `%`
        }
        if (!begins_with(statement_token(context), ';'))
            context.errors.raise(error::case_needs_semicolon, {statement_token(context)});
        const SourcePosition at = current_position(context);
        push_text_back(context, "%do;", at);
        take_token(context);
        StatementText skipped(context);
        if (matches) {
            chosen.emplace(context);
            chosen_at = at;
        }
        const OpenConstruct open(context, branch_at, "%", branch, "", "%end");
        TextCopier copier(context, matches ? *chosen : skipped);
        copier.leave_blocks_open_to_caller();
        copier.statement(matches ? CopyMode::copy : CopyMode::skip, false);
        if (begins_with(statement_token(context), ';')) take_token(context);
    }
    off.restore();
    if (!chosen || chosen->report_overflow("do")) return;
    chosen->push(chosen_at);
}

} // namespace vornmac
