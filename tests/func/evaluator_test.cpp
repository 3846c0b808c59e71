// The expression evaluator seen through %eval: precedence, wrap-around, comparisons of
// numbers and texts, quoting inside text operands, and the errors of bad expressions.
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace vornmac {
namespace {

using testing::TestHome;

struct Evaluation {
    std::string value; // what the host received between "[" and "]"
    std::vector<std::string> errors;
};

Evaluation evaluate(const std::string &expression, testing::Options variables = {}) {
    const testing::ProgramRun run =
        testing::run_text(TestHome{}, "[%eval(" + expression + ")]", std::move(variables));
    Evaluation result;
    for (const std::string &token : run.tokens)
        result.value += token;
    if (result.value.size() >= 3 && result.value.front() == '[')
        result.value = result.value.substr(1, result.value.size() - 3);
    for (const testing::Jump &jump : run.jumps)
        result.errors.push_back(jump.message);
    if (!result.errors.empty()) result.errors.pop_back(); // the end of the input
    return result;
}

std::string value_of(const std::string &expression, testing::Options variables = {}) {
    const Evaluation result = evaluate(expression, std::move(variables));
    EXPECT_TRUE(result.errors.empty()) << expression << ": " << result.errors.front();
    return result.value;
}

std::string error_of(const std::string &expression) {
    const Evaluation result = evaluate(expression);
    return result.errors.empty() ? "no error" : result.errors.front();
}

// Each case is "expression => value".
void expect_values(std::initializer_list<std::string> cases) {
    for (const std::string &c : cases) {
        const size_t arrow = c.find(" => ");
        EXPECT_EQ(value_of(c.substr(0, arrow)), c.substr(arrow + 4)) << c;
    }
}

// The cases of tests/programs/eval are not repeated here.
TEST(Evaluator, ValuesOfExpressions) {
    // Each operator takes the tighter ones as its operands; a sign opens an additive operand
    // (applying to its first term), elsewhere it belongs to a number.
    expect_values({"2*-3 => -6", "- -3 => 3", "10-2-3 => 5", "007 => 7", "-0 => 0", "-2*3+1 => -5",
                   "- 2 mod 3 + 1 => -1", "1 - -2 => 3", "2*-3+1 => -5"});
    expect_values({"!-1 => 0", "!7 => 0", "not 1 < 2 => 1", "7 mod 4*2 => 6", "16/4/2 => 2",
                   "1 or 0 and 0 => 1", "0 and 1 or 1 => 1", "1 AND 2 => 1", "0 or 0 => 0"});
    expect_values({"1+2=3 and 2*2=4 => 1", "-1<0 => 1", "(1<2)<3 => 1", "2<>2 => 0", "3>=3 => 1",
                   "3>2 => 1", "a b = a   b => 1"});
    // Arithmetic wraps at 32 bits.
    expect_values({"65536*65536 => 0", "-2147483647-2 => 2147483647"});
    // Computed values are numbers until a text is needed: they compare as integers with
    // numbers, as their digits with texts, and are read like any text where a number is due.
    expect_values({"(2*5)<9 => 0", "(2*5)<b => 1", "(0-5)<(0-10) => 0", "(1<2)=1 => 1",
                   "(0-7)=%str(-7) => 1", "(2147483647+1)=%str(-2147483648) => 1"});
    EXPECT_EQ(value_of("&n*2+(&n)", {{"n", "-2147483648"}}), "-2147483648");
    EXPECT_EQ(value_of("&x=5", {{"x", "5"}}), "1");
    // The markers of %str reach the host as nothing; the operators inside stay text.
    expect_values({"abc => abc", "a and b => a and b", "%str(a+b) => a+b",
                   "%str(a+b)=%str(a+b) => 1", "%str(a<b)<%str(a<c) => 1"});
    // An expression read inside another one's text operand (here through %eval; a macro
    // body's %if does the same) must leave the outer operand's text as it was.
    expect_values({"left %eval(inner = inner) right = left 1 right => 1",
                   "a %eval(b %eval(c=c) d) e => a b 1 d e", "x %eval((1+2)*3) y < x 9 z => 1"});
}

// An expression holds one comparison only, at whatever depth of "and" and "or" a second
// one is met.
TEST(Evaluator, ErrorsOfBadExpressions) {
    for (const char *chained : {"1<2<3", "0 or 1<2<3", "1<2 and 2<3<4", "1=1 or 2>1<0"})
        EXPECT_EQ(error_of(chained), "ERROR #2011 : %Eval needs ) but found <\n") << chained;
    EXPECT_EQ(error_of("(1+1) and x"), "ERROR #2039 : not a number: x\n");
    EXPECT_EQ(error_of("(1+2;"), "ERROR #42 : missing ) in an expression\n");
    EXPECT_EQ(error_of("5 mod 0"), "ERROR #4630 : division fault 5 mod 0\n");
    EXPECT_EQ(error_of("-2147483648/-1"), "ERROR #4630 : division fault -2147483648 / -1\n");
    EXPECT_EQ(error_of("1 2"), "ERROR #2011 : %Eval needs ) but found 2\n");
}

// Statements that want a number or a truth value take texts with their markers dropped,
// and computed values as the integers whose digits they stand for.
TEST(Evaluator, NumbersAndConditionsOfStatements) {
    const auto tokens = [](const char *text) {
        const testing::ProgramRun run = testing::run_text(TestHome{}, text);
        std::string errors;
        for (size_t i = 0; i + 1 < run.jumps.size(); ++i) // the last is the end of the input
            errors += " " + run.jumps[i].message;
        return testing::joined(run.tokens) + errors;
    };
    EXPECT_EQ(tokens("%substr(abcdef,1+1,%str(3))."), "bcd|. ");
    EXPECT_EQ(tokens("%substr(abcdef,(0-1)*-3,%str( 2 ))."), "cd|. ");
    EXPECT_EQ(tokens("%substr(abcdef,2,%str(x))."), "|.  ERROR #2039 : not a number: x\n");
    EXPECT_EQ(tokens("%do i = %str(1) %to 1+2; &i %end;."), "1 |2 |3 |. ");
    for (const char *is_false : {"0", "00", "(2-2)", "%str(0)", "%str(0 )", "1>2", "abc=abd"})
        EXPECT_EQ(tokens(("%if " + std::string(is_false) + " %then a; %else b;.").c_str()), "b |. ")
            << is_false;
    for (const char *is_true : {"1", "-1", "(2-1)", "abc", "%str(00)", "%str(0)x", "0=0"})
        EXPECT_EQ(tokens(("%if " + std::string(is_true) + " %then a; %else b;.").c_str()), "a |. ")
            << is_true;
}

TEST(Evaluator, MissingParenthesesAndTheTokensAfterwards) {
    const testing::ProgramRun run = testing::run_text(TestHome{}, "a %eval 1; b %eval(2; c");
    ASSERT_GE(run.jumps.size(), 2u);
    EXPECT_EQ(run.jumps[0].message, "ERROR #2010 : %Eval needs ( but found 1\n");
    EXPECT_EQ(run.jumps[1].message, "ERROR #2011 : %Eval needs ) but found ; \n");
    EXPECT_EQ(testing::joined(run.tokens), "a |; |b |c ");
}

} // namespace
} // namespace vornmac
