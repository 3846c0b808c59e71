// The conditional loop %do %while(CONDITION); ... %end;
//
// Set-up copies "%dowhile", the condition as written and the body, closed by "%doend## ",
// and hands that back as the loop source. %dowhile collects the condition up to its ";"
// and evaluates it at the start of every pass; when it is false the loop source is dropped
// and reading goes on after the loop, so a condition false at the start skips the body.
// An error while the condition is evaluated ends the loop the same way before it reaches
// the host.
#include "error/recovery_jump.hpp"
#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "stmt/condition.hpp"
#include "stmt/do_statement.hpp"
#include "stmt/text_copier.hpp"

namespace vornmac {

void while_loop_setup(ParserContext &context, ExpansionOff &off) {
    const SourcePosition at = current_position(context);
    push_text_back(context, "%dowhile", at);
    StatementText body(context);
    take_token(context);
    const OpenConstructs::Expecting expecting(context, "%end");
    TextCopier(context, body).statement(CopyMode::loop_body, false);
    off.restore();
    if (body.report_overflow("do")) return;
    body.push(at);
}

void dowhile_statement(ParserContext &context, int16_t /*index*/) {
    const int16_t loop_slot = context.input.top;
    const SourcePosition at = current_position(context);
    StatementText collected(context);
    ExpansionOff off(context);
    collect_condition(context, collected, "XsXsXs", true);
    off.restore();
    if (collected.report_overflow("dowhile")) return;
    bool go_on = false;
    try {
        go_on = collected_condition(context, collected, at);
    } catch (const RecoveryJump &) {
        leave_loop(context, loop_slot);
        throw;
    }
    if (!go_on) leave_loop(context, loop_slot);
}

} // namespace vornmac
