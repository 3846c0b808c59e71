// A macro call's argument list read whole from what the input has in view, where reading it
// token by token would only join the tokens' texts: from the "[" to the "]", positional
// arguments on one line, each made of characters that form plain tokens (no trigger, quote,
// comment, marker or line end; white space is the tokens' own) and of references `&name`
// right before a "," or "]" whose values are runs of name characters (read in place, as the
// scanner would read them). The "]" token is left to the caller, which reads it as the list's
// last token. Anything else (named arguments, more arguments than positional parameters, a
// list not wholly in view, capitals folded, a trace, quoting) is left to the tokens.
#pragma once
#include "macro/macro_invocation.hpp"

#include <cstddef>

namespace vornmac {

class ParserContext;

// Sets texts[0] on, one per argument, and gives true with the input at the "]";
// gives false with nothing read and `texts` as they were, whose positional ones must be "".
bool take_arguments_in_view(ParserContext &context, ArgumentTexts &texts, size_t positional_count);

} // namespace vornmac
