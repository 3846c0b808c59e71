// The blocks a program opens and must close, as one table: what closes each, whether the
// library copies its text unread before it runs it (so that `%` and `&` in it are tokens of
// their own while it is read), and what the checker says when the block is left open.
#pragma once
#include <array>
#include <cstddef>

namespace vornmac::check {

enum class Block : unsigned char {
    macro_body,    // %macro NAME ...; up to %mend
    plain_do,      // %do; up to %end
    do_header,     // %do up to the ; of its header
    loop,          // the body of a counted or conditional loop, up to %end
    select,        // %do %select(...); its %case and %otherwise branches, up to %end
    select_branch, // %case ...; or %otherwise; up to %end
    if_condition,  // %if up to %then
    if_branch,     // the statement after %then or %else, up to its ;
    if_after_then, // the token after a then-branch, which may be %else
    function_args, // %eval( ... ) and the other functions, up to the matching )
    call_args,     // %name[ ... ] of a macro with parameters, up to ]
};

struct BlockRule {
    Block block;
    bool copied;              // read with `%` and `&` off, to be read again later
    const char *opened_by;    // for messages
    const char *missing_name; // the finding when the block is not closed
    const char *missing_message;
};

inline constexpr std::array<BlockRule, 11> block_rules = {{
    {Block::macro_body, false, "%macro", "unclosed-macro", "%macro without %mend"},
    {Block::plain_do, false, "%do", "unclosed-do", "%do without %end"},
    {Block::do_header, true, "%do", "unclosed-do", "%do without the ; that ends its header"},
    {Block::loop, true, "%do", "unclosed-do", "%do without %end"},
    {Block::select, true, "%do %select", "unclosed-do", "%do %select without %end"},
    {Block::select_branch, true, "%case", "unclosed-case", "%case or %otherwise without %end"},
    {Block::if_condition, true, "%if", "if-without-then", "%if without %then"},
    {Block::if_branch, true, "%then", "unclosed-branch", "%if branch without the ; that ends it"},
    {Block::if_after_then, true, "%if", nullptr, nullptr},
    {Block::function_args, false, "(", "unbalanced-parens",
     "the parentheses of this function call do not balance"},
    {Block::call_args, false, "[", "unclosed-arguments", "macro arguments without their ]"},
}};

constexpr const BlockRule &rule_of(Block block) {
    return block_rules[static_cast<size_t>(block)];
}

} // namespace vornmac::check
