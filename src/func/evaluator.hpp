// The expression evaluator: integer and text expressions for %eval, the conditions of %if
// and the loops, and the number arguments of the string functions. It parses by precedence
// climbing (one loop over the binary operators instead of a function per level) and reads
// its operands and operators straight from the scanner, so references and function calls
// inside an expression are expanded before it sees them.
//
// Grammar, lowest precedence first (operators are recognised by a token's first character,
// or for the words by the keyword comparison: case-insensitive, trailing white space
// ignored):
//   or:    and { "or" and }                          both sides always evaluated
//   and:   comparison { "and" comparison }
//   comparison: additive [ ("<" ">" | "<" "=" | "<" | ">" "=" | ">" | "=") additive ]
//          once only; two-character operators are two tokens; texts that are not both
//          numbers compare as texts (compare_texts)
//   additive:  [ "+" | "-" ] multiplicative { ("+" | "-") multiplicative }
//   multiplicative: unary { ("*" | "/" | "mod") unary }   truncating toward zero
//   unary: "(" or ")" (error 42 without the ")") | ("!" | "not") unary | primary
//   primary: a number (a token beginning with a digit, or a sign and the next token;
//          error 2040 when it is none), else a text: tokens up to one beginning with one of
//          "+-*/=<>!)(" outside quoting markers, white space kept.
// Parentheses and negations nest at most 64 deep, counted across the expressions being
// evaluated at once (error 4643; see nesting_depths.hpp).
// Every value acts as a text; numbers act as their decimal text. Arithmetic wraps at 32
// bits; division or mod by zero and the smallest integer divided by -1 raise error 4630
// and give 0. Comparisons and logical operators give "1" or "0".
//
// Callers that want a number or a truth value take it from the evaluator as such
// (eval_integer, eval_condition): a value an operator computed is then never written out
// as digits and read back.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

class ParserContext;

// The texts of the text operands of every expression being evaluated, one after another,
// each zero-terminated. Evaluations nest (an expression may hold a %eval call, or a macro
// call whose body holds an %if), and each gives back what it added when it ends, so the
// buffer is a stack whose memory serves every evaluation of the run.
struct ExpressionTexts {
    std::string stack;
};

// Evaluates one expression that begins at the token just read (the scanner's next-token
// buffer) and returns its value. On return the token just read is the first token after
// the expression. Errors are raised through the reporter and may not return.
std::string eval_expression(ParserContext &context);

// eval_expression for a number: the value with its quoting markers dropped, read as an
// integer (error 2039 when it is not one; the value read so far when the error returns).
int32_t eval_integer(ParserContext &context);

// eval_expression for a condition: false only when the value with its quoting markers
// dropped equals "0" (keyword comparison, so "0 " is false too).
bool eval_condition(ParserContext &context);

// The %eval function: %eval( expression ), whose value is read back as program text.
void eval_function(ParserContext &context, int16_t keyword_index);

} // namespace vornmac
