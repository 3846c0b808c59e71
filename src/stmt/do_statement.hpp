// %do in all its forms, and the statements the loop machinery writes into loop texts:
// %end, %doend (rewind the loop text) and %dowhile (the test of a conditional loop).
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;
class ExpansionOff;

void do_statement(ParserContext &context, int16_t index);
void end_statement(ParserContext &context, int16_t index);
void doend_statement(ParserContext &context, int16_t index);
void dowhile_statement(ParserContext &context, int16_t index);

// The forms, each entered with the current token at its start. `off` holds expansion off
// and restores it.
void counted_loop_setup(ParserContext &context);
void counted_loop_step(ParserContext &context);
void while_loop_setup(ParserContext &context, ExpansionOff &off);
void selection(ParserContext &context, ExpansionOff &off);

// The rewind of a counted loop's text and its header's step in one, as reading them would
// do, where the loop's record allows (see counted_loop.cpp). False, with nothing done,
// where %doend rewinds and the header is read.
bool pass_by_record(ParserContext &context);

// Ends the loop whose text is the source at `loop_slot`: it and every source above it
// are dropped, and reading goes on after the loop.
void leave_loop(ParserContext &context, int16_t loop_slot);

} // namespace vornmac
