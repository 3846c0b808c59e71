// Calling a macro: `%name` that is no keyword, or the name after a true %macro_if.
//
// The macro is looked up in the library slots from the first slot searched to the last;
// the first slot whose file holds the name supplies it. Its arguments, when it has
// parameters, are read from the tokens after the name and set as variables one level
// above the caller; then the body is pushed as macro text, read straight from the library
// file, and followed by the blanks that followed the name in the call. When the body is
// used up, reading resumes in the caller and the call's variables are gone.
#pragma once

namespace vornmac {

class ParserContext;

// `name` is the text after "%", possibly with the blanks that followed it.
void invoke_macro(ParserContext &context, const char *name);

} // namespace vornmac
