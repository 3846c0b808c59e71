#include "func/evaluator.hpp"

#include "error/error_numbers.hpp"
#include "func/expression_values.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"
#include "input/quoting_bytes.hpp"
#include "input/text_chain.hpp"
#include "input/tokens_in_view.hpp"
#include "vars/name_compare.hpp"

#include <array>
#include <cstring>
#include <limits>
#include <string_view>

namespace vornmac {

namespace {
// The characters that end a text operand: "+-*/=<>!)(".
constexpr std::array<bool, 256> ends_text_operand = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("+-*/=<>!)("))
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

// A value of the expression. Every value acts as a text, but one that an operator computed
// or a number literal gave is always the decimal text of an integer; such a value keeps the
// integer and writes its digits only when a text is asked for. Reading that text back
// gives the integer again (number_text and read_integer agree on every 32-bit value), so
// both forms act alike everywhere. A text operand is kept in the expression texts, so a
// value is a few plain bytes that every level of the descent passes on in registers.
struct Value {
    static Value of_number(int32_t number) { return {true, number, 0}; }
    static Value of_text(size_t text_at) { return {false, 0, text_at}; }

    bool numeric;
    int32_t number;
    size_t text_at; // where a text operand begins in ExpressionTexts::stack
};

Value truth(bool value) {
    return Value::of_number(value ? 1 : 0);
}

enum class Comparison { not_equal, less_equal, less, greater_equal, greater, equal };

// The binary operators by how loosely they bind, loosest first; `none` for a token that is
// no binary operator.
enum class Binding : unsigned char {
    or_level,
    and_level,
    comparison,
    additive,
    multiplicative,
    none
};

class Evaluator {
  public:
    explicit Evaluator(ParserContext &context)
        : context_(context), tokens_(context), texts_(context.expression_texts.stack),
          texts_start_(texts_.size()) {}
    ~Evaluator() { texts_.resize(texts_start_); }
    Evaluator(const Evaluator &) = delete;
    Evaluator &operator=(const Evaluator &) = delete;

    // The input and the token's place are up to date when it returns.
    Value expression() {
        const Value value = operators_from(Binding::or_level);
        tokens_.settle();
        return value;
    }

    // The text of a value: a text operand's own, or an integer's digits written into `digits`;
    // terminated either way.
    std::string_view text(const Value &value, NumberDigits &digits) {
        return value.numeric ? number_digits(value.number, digits)
                             : std::string_view(texts_.data() + value.text_at);
    }
    // The text of a text operand with its quoting markers dropped, cleaned where it is kept.
    const char *cleaned(const Value &value) {
        char *text = texts_.data() + value.text_at;
        clean_text(text);
        return text;
    }

  private:
    Value operators_from(Binding loosest);
    Binding binding() const;
    Value unary();
    Value primary();
    Value number_literal();
    Value text_operand();

    Comparison comparison_operator();
    // Inline where each operator is applied: the call cost as much as the arithmetic.
    [[gnu::always_inline]] Value arithmetic(const Value &left, char op, const Value &right);
    [[gnu::cold, gnu::noinline]] Value division_fault(int32_t a, char op, int32_t b);
    [[gnu::cold, gnu::noinline]] void malformed_number();
    bool compare(Comparison op, const Value &left, const Value &right);

    const char *token() const { return tokens_.text(); }
    bool begins_with(char c) const { return token()[0] == c; }
    // `word` is in lower case; the token's first letter has been seen to match it.
    // name_compare(token(), word) == 0, inline: it asks every token that begins with the letter.
    bool is_word(const char *word) const {
        const char *t = token();
        size_t i = 0;
        for (; word[i] != '\0'; ++i)
            if (fold_name_char(static_cast<unsigned char>(t[i])) != word[i]) return false;
        for (; t[i] != '\0'; ++i)
            if (!is_white(static_cast<unsigned char>(t[i]))) return false;
        return true;
    }
    void next() { tokens_.next(); }
    // Every error is raised with the input and the token's place up to date.
    void raise(int16_t number, std::vector<ErrorArg> args = {}) {
        tokens_.settle();
        context_.errors.raise(number, std::move(args));
    }
    // A numeric value is its integer; a text is read as one (error 2039 when it is none).
    int32_t integer(const Value &value) {
        return value.numeric ? value.number : text_integer(value);
    }
    [[gnu::noinline]] int32_t text_integer(const Value &value) {
        tokens_.settle();
        return number_value(context_, texts_.data() + value.text_at);
    }
    bool is_not_number(const Value &value) const {
        return !value.numeric && vornmac::is_not_number(texts_.data() + value.text_at);
    }

    ParserContext &context_;
    TokensInView tokens_;
    std::string &texts_;
    const size_t texts_start_; // what enclosing evaluations hold, given back at the end
};

Binding Evaluator::binding() const {
    switch (token()[0]) {
    case '*':
    case '/':
        return Binding::multiplicative;
    case '+':
    case '-':
        return Binding::additive;
    case '=':
    case '<':
    case '>':
        return Binding::comparison;
    case 'm':
    case 'M':
        return is_word("mod") ? Binding::multiplicative : Binding::none;
    case 'a':
    case 'A':
        return is_word("and") ? Binding::and_level : Binding::none;
    case 'o':
    case 'O':
        return is_word("or") ? Binding::or_level : Binding::none;
    default:
        return Binding::none;
    }
}

// The operators that bind no looser than `loosest`, by precedence climbing: each operator
// takes as its right operand the operators that bind tighter than itself. A sign may open
// an additive operand, and applies to its first multiplicative term. After an operator is
// applied, only operators as loose as it may follow: tighter ones went to its right
// operand, and one found there anyway was refused by it (a second comparison, which
// leaves the expression there).
Value Evaluator::operators_from(Binding loosest) {
    Value left{};
    const bool negate = begins_with('-');
    if (loosest <= Binding::additive && (negate || begins_with('+'))) {
        next();
        left = operators_from(Binding::multiplicative);
        if (negate) left = arithmetic(Value::of_number(0), '-', left);
    } else {
        left = unary();
    }
    Binding tightest = Binding::multiplicative;
    for (;;) {
        const Binding found = binding();
        if (found < loosest || found > tightest) return left;
        switch (found) {
        case Binding::or_level: {
            next();
            const Value right = operators_from(Binding::and_level);
            const bool either = integer(left) != 0;
            left = truth((integer(right) != 0) || either);
            break;
        }
        case Binding::and_level: {
            next();
            const Value right = operators_from(Binding::comparison);
            const bool first = integer(left) != 0;
            left = truth((integer(right) != 0) && first);
            break;
        }
        case Binding::comparison: {
            const Comparison op = comparison_operator();
            const Value right = operators_from(Binding::additive);
            left = truth(compare(op, left, right));
            // One comparison only: a < b < c leaves the second "<" unread.
            tightest = Binding::and_level;
            continue;
        }
        case Binding::additive: {
            const char op = token()[0];
            next();
            const Value right = operators_from(Binding::multiplicative);
            left = arithmetic(left, op, right);
            break;
        }
        case Binding::multiplicative: {
            const char op = token()[0] == '*' || token()[0] == '/' ? token()[0] : '%';
            next();
            const Value right = unary();
            left = arithmetic(left, op, right);
            break;
        }
        case Binding::none:
            return left;
        }
        tightest = found;
    }
}

Comparison Evaluator::comparison_operator() {
    if (begins_with('=')) {
        next();
        return Comparison::equal;
    }
    const bool less = begins_with('<');
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

bool Evaluator::compare(Comparison op, const Value &left, const Value &right) {
    int order = 0;
    if (is_not_number(left) || is_not_number(right)) {
        NumberDigits left_digits;
        NumberDigits right_digits;
        order = compare_texts(text(left, left_digits).data(), text(right, right_digits).data());
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
        break;
    }
    return order == 0;
}

inline Value Evaluator::arithmetic(const Value &left, char op, const Value &right) {
    const int32_t a = integer(left);
    const int32_t b = integer(right);
    const auto ua = static_cast<uint32_t>(a);
    const auto ub = static_cast<uint32_t>(b);
    switch (op) {
    case '+':
        return Value::of_number(static_cast<int32_t>(ua + ub));
    case '-':
        return Value::of_number(static_cast<int32_t>(ua - ub));
    case '*':
        return Value::of_number(static_cast<int32_t>(ua * ub));
    default:
        break;
    }
    if (b == 0 || (a == std::numeric_limits<int32_t>::min() && b == -1)) [[unlikely]]
        return division_fault(a, op, b);
    return Value::of_number(op == '/' ? a / b : a % b);
}

// Out of line, so that arithmetic() stays small enough to be inlined where it is used.
Value Evaluator::division_fault(int32_t a, char op, int32_t b) {
    raise(error::division_fault, {a, op == '/' ? "/" : "mod", b});
    return Value::of_number(0);
}

Value Evaluator::unary() {
    const bool opens = begins_with('(');
    if (!opens && !begins_with('!') && ((token()[0] | 0x20) != 'n' || !is_word("not")))
        return primary();
    // Both forms recurse: one level each, counted across all expressions being evaluated.
    const NestingLevel level(context_.nesting.expression);
    if (level.beyond(NestingDepths::expression_bound)) {
        // The operator is left unread: the expression ends before it.
        raise(error::expression_too_deep, {static_cast<int>(NestingDepths::expression_bound)});
        return Value::of_number(0);
    }
    next();
    if (!opens) return truth(integer(unary()) == 0);
    Value value = expression();
    if (begins_with(')'))
        next();
    else
        raise(error::expression_not_closed);
    return value;
}

Value Evaluator::primary() {
    const char first = token()[0];
    if (first == '+' || first == '-' || (first >= '0' && first <= '9')) return number_literal();
    return text_operand();
}

Value Evaluator::number_literal() {
    const bool negate = begins_with('-');
    if (negate || begins_with('+')) next();
    int32_t value = 0;
    if (!read_literal(token(), value)) [[unlikely]]
        malformed_number();
    next();
    return Value::of_number(negate ? static_cast<int32_t>(0u - static_cast<uint32_t>(value))
                                   : value);
}

void Evaluator::malformed_number() {
    raise(error::malformed_number, {token()});
}

Value Evaluator::text_operand() {
    const size_t at = texts_.size();
    bool too_long = false;
    int depth = 0;
    for (;;) {
        const char *t = token();
        const auto first = static_cast<unsigned char>(t[0]);
        if (first == marker_byte && t[1] != '\0') depth += (t[1] % 2 != 0) ? 1 : -1;
        if (depth == 0 && ends_text_operand[first]) break;
        // As a text chain takes it: a token that would pass the bound is left out.
        const size_t length = std::strlen(t);
        if (length > static_cast<size_t>(TextChain::max_length) - (texts_.size() - at))
            too_long = true;
        else
            texts_.append(t, length);
        next();
    }
    texts_.push_back('\0');
    if (too_long) raise(error::text_too_long, {"An expression"});
    return Value::of_text(at);
}
} // namespace

std::string eval_expression(ParserContext &context) {
    Evaluator evaluator(context);
    const Value value = evaluator.expression();
    NumberDigits digits;
    return std::string(evaluator.text(value, digits));
}

int32_t eval_integer(ParserContext &context) {
    Evaluator evaluator(context);
    const Value value = evaluator.expression();
    return value.numeric ? value.number : number_value(context, evaluator.cleaned(value));
}

bool eval_condition(ParserContext &context) {
    Evaluator evaluator(context);
    const Value value = evaluator.expression();
    return value.numeric ? value.number != 0 : name_compare(evaluator.cleaned(value), "0") != 0;
}

void eval_function(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, "%Eval");
    const std::string value = eval_expression(context);
    if (!list.ended())
        context.errors.raise(error::parenthesis_missing, {"%Eval", token_text(context)});
    list.deliver(value);
}

} // namespace vornmac
