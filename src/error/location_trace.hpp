// The two traces of where input came from. The error trace lists where the failing token
// stands and through which macros, variables and files it was reached, leaves each entry in
// the "_errorfiles<n>"/"_errorlocs<n>" variables and unwinds the input stack to its bottom
// source. The module-start trace lists every source on the stack, from the top down, under
// a dashed line with the date and time.
#pragma once

namespace vornmac {

class ParserContext;

void write_error_trace(ParserContext &context);
void write_input_trace(ParserContext &context);

} // namespace vornmac
