// The conditional is not run in place. The handler collects the condition up to %then and
// hands it to the evaluator through the scanner; then, with expansion off, it copies the
// chosen branch and skips the other; finally it hands back one text: the chosen branch,
// ";" when that branch is a macro statement (" " otherwise), and the one token it had to
// read ahead to see that no %else follows. The scanner reads that text next, so whatever
// the branch holds runs exactly as if it stood in the program.
#include "stmt/if_statement.hpp"

#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "stmt/condition.hpp"
#include "stmt/text_copier.hpp"

#include <optional>
#include <string>

namespace vornmac {

void if_statement(ParserContext &context, int16_t /*index*/) {
    const SourcePosition condition_at = current_position(context);
    bool condition = false;
    {
        StatementText collected(context);
        ExpansionOff off(context);
        const OpenConstructs::Expecting expecting(context, "%then");
        collect_condition(context, collected, "then", false);
        off.restore();
        if (collected.report_overflow("if")) return;
        condition = collected_condition(context, collected, condition_at);
    }

    ExpansionOff off(context);
    SourcePosition push_at = current_position(context);
    StatementText branch(context);
    TextCopier copier(context, branch);
    take_token(context);
    copier.start_branch();
    copier.statement(condition ? CopyMode::copy : CopyMode::skip, true);
    if (condition) branch.append(copier.branch_terminator());

    // The statement is complete: what follows is read only to see whether it is %else, and
    // the chosen branch is lost should the input end there.
    std::optional<OpenConstructs::Settled> settled;
    std::optional<OpenConstructs::Expecting> branch_lost;
    if (condition)
        branch_lost.emplace(context, nullptr);
    else
        settled.emplace(context);
    const char *token = take_token(context);
    if (!condition) push_at = current_position(context);
    std::string read_ahead = token;
    if (is_lone(token, '%')) {
        const char *word = take_token(context);
        if (is_word(word, "else")) {
            settled.reset();
            branch_lost.reset();
            take_token(context);
            copier.start_branch();
            copier.statement(condition ? CopyMode::skip : CopyMode::copy, true);
            read_ahead = condition ? "" : copier.branch_terminator();
        } else {
            read_ahead = std::string("%") + word;
        }
    }
    branch.append(read_ahead.c_str());
    off.restore();
    if (branch.report_overflow("if")) return;
    branch.push(push_at);
}

} // namespace vornmac
