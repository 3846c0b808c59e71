// The condition of %include_if, %goto_if and %macro_if: `sys_nD = number`, `sys_nD <> number`,
// `sys_cD = 'text'` or `sys_cD <> 'text'`, tested against the command variables sys_n1 to
// sys_n5 (read as numbers) and sys_c1 to sys_c5 (compared like keywords: case ignored,
// trailing white space ignored). The condition is read from the token after the keyword;
// afterwards the token just read is the condition's last token.
#pragma once

namespace vornmac {

class ParserContext;

// True when the condition holds. A malformed condition raises its error and, when the
// error returns, counts as false.
bool read_command_condition(ParserContext &context);

} // namespace vornmac
