#include "func/evaluator.hpp"

#include "func/expression_values.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"
#include "input/text_chain.hpp"
#include "vars/name_compare.hpp"

#include <cstring>
#include <limits>

namespace vornmac {

namespace {
constexpr int16_t missing_close_in_expression = 42;
constexpr int16_t missing_open = 2010;
constexpr int16_t missing_close = 2011;
constexpr int16_t not_a_number_literal = 2040;
constexpr int16_t division_fault = 4630;
constexpr int16_t operand_too_long = 4631;
constexpr char operator_characters[] = "+-*/=<>!)(";
constexpr unsigned char marker = 0x01;

std::string truth(bool value) {
    return value ? "1" : "0";
}

enum class Comparison { none, not_equal, less_equal, less, greater_equal, greater, equal };

class Evaluator {
  public:
    explicit Evaluator(ParserContext &context) : context_(context) {}

    std::string or_level();

  private:
    std::string and_level();
    std::string comparison();
    std::string additive();
    std::string multiplicative();
    std::string unary();
    std::string primary();
    std::string number_literal();
    std::string text_operand();

    Comparison comparison_operator();
    std::string arithmetic(const std::string &left, char op, const std::string &right);
    bool compare(Comparison op, const std::string &left, const std::string &right);

    const char *token() { return token_text(context_); }
    bool begins_with(char c) { return token_begins_with(context_, c); }
    bool is_word(const char *word) { return name_compare(token(), word) == 0; }
    void next() { advance(context_); }
    int32_t integer(const std::string &value) { return number_value(context_, value.c_str()); }

    ParserContext &context_;
};

std::string Evaluator::or_level() {
    std::string left = and_level();
    while (is_word("or")) {
        next();
        const std::string right = and_level();
        const bool either = integer(left) != 0;
        left = truth((integer(right) != 0) || either);
    }
    return left;
}

std::string Evaluator::and_level() {
    std::string left = comparison();
    while (is_word("and")) {
        next();
        const std::string right = comparison();
        const bool first = integer(left) != 0;
        left = truth((integer(right) != 0) && first);
    }
    return left;
}

Comparison Evaluator::comparison_operator() {
    if (begins_with('=')) {
        next();
        return Comparison::equal;
    }
    const bool less = begins_with('<');
    if (!less && !begins_with('>')) return Comparison::none;
    next();
    if (less && begins_with('>')) {
        next();
        return Comparison::not_equal;
    }
    if (begins_with('=')) {
        next();
        return less ? Comparison::less_equal : Comparison::greater_equal;
    }
    return less ? Comparison::less : Comparison::greater;
}

bool Evaluator::compare(Comparison op, const std::string &left, const std::string &right) {
    int order = 0;
    if (is_not_number(left.c_str()) || is_not_number(right.c_str())) {
        order = compare_texts(left.c_str(), right.c_str());
    } else {
        const int32_t a = integer(left);
        const int32_t b = integer(right);
        order = a < b ? -1 : (a > b ? 1 : 0);
    }
    switch (op) {
    case Comparison::not_equal:
        return order != 0;
    case Comparison::less_equal:
        return order <= 0;
    case Comparison::less:
        return order < 0;
    case Comparison::greater_equal:
        return order >= 0;
    case Comparison::greater:
        return order > 0;
    case Comparison::equal:
    case Comparison::none:
        break;
    }
    return order == 0;
}

std::string Evaluator::comparison() {
    std::string left = additive();
    const Comparison op = comparison_operator();
    if (op == Comparison::none) return left;
    const std::string right = additive();
    return truth(compare(op, left, right));
}

std::string Evaluator::arithmetic(const std::string &left, char op, const std::string &right) {
    const int32_t a = integer(left);
    const int32_t b = integer(right);
    const auto ua = static_cast<uint32_t>(a);
    const auto ub = static_cast<uint32_t>(b);
    switch (op) {
    case '+':
        return number_text(static_cast<int32_t>(ua + ub));
    case '-':
        return number_text(static_cast<int32_t>(ua - ub));
    case '*':
        return number_text(static_cast<int32_t>(ua * ub));
    default:
        break;
    }
    const char *name = op == '/' ? "/" : "mod";
    if (b == 0 || (a == std::numeric_limits<int32_t>::min() && b == -1)) {
        context_.errors.raise(division_fault, {a, name, b});
        return "0";
    }
    return number_text(op == '/' ? a / b : a % b);
}

std::string Evaluator::additive() {
    const bool negate = begins_with('-');
    if (negate || begins_with('+')) next();
    std::string left = multiplicative();
    if (negate) left = arithmetic("0", '-', left);
    for (;;) {
        const char op = token()[0];
        if (op != '+' && op != '-') return left;
        next();
        left = arithmetic(left, op, multiplicative());
    }
}

std::string Evaluator::multiplicative() {
    std::string left = unary();
    for (;;) {
        char op = token()[0];
        if (is_word("mod"))
            op = '%';
        else if (op != '*' && op != '/')
            return left;
        next();
        left = arithmetic(left, op, unary());
    }
}

std::string Evaluator::unary() {
    if (begins_with('(')) {
        next();
        std::string value = or_level();
        if (begins_with(')'))
            next();
        else
            context_.errors.raise(missing_close_in_expression);
        return value;
    }
    if (begins_with('!') || is_word("not")) {
        next();
        return truth(integer(unary()) == 0);
    }
    return primary();
}

std::string Evaluator::primary() {
    const char first = token()[0];
    if (first == '+' || first == '-' || (first >= '0' && first <= '9')) return number_literal();
    return text_operand();
}

std::string Evaluator::number_literal() {
    const bool negate = begins_with('-');
    if (negate || begins_with('+')) next();
    int32_t value = 0;
    if (is_not_number(token()) || !read_integer(token(), value))
        context_.errors.raise(not_a_number_literal, {token()});
    next();
    return number_text(negate ? static_cast<int32_t>(0u - static_cast<uint32_t>(value)) : value);
}

std::string Evaluator::text_operand() {
    TextChain chain(context_.segments);
    bool too_long = false;
    int depth = 0;
    for (;;) {
        const auto first = static_cast<unsigned char>(token()[0]);
        if (first == '\0') break; // nothing more can come of an empty token
        if (first == marker && token()[1] != '\0') depth += (token()[1] % 2 != 0) ? 1 : -1;
        if (depth == 0 && std::strchr(operator_characters, first) != nullptr) break;
        if (!chain.append(token())) too_long = true;
        next();
    }
    if (too_long) context_.errors.raise(operand_too_long, {"An expression"});
    return chain.text();
}
} // namespace

std::string eval_expression(ParserContext &context) {
    return Evaluator(context).or_level();
}

void eval_function(ParserContext &context, int16_t) {
    ArgumentList list(context, missing_open, "%Eval");
    const std::string value = eval_expression(context);
    if (!list.ended()) context.errors.raise(missing_close, {"%Eval", token_text(context)});
    list.deliver(value);
}

} // namespace vornmac
