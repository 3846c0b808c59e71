// An expression's plain tokens, and the opening of an argument list, are taken straight from
// what the input has in view, and the input stack and the token's place brought up to date
// once for a run of them. Every program must run the same either way: each golden case, and
// random expressions in %eval, %if, counted loops and number arguments, after every kind of
// opening of the list, mixing what the view takes (one-character operators,
// numbers, words, slashes before every kind of character) with what ends a run (references,
// calls, comments, quotes, markers, line ends, carriage returns, words at a token's bound,
// the end of the input) and with errors raised in the middle (division by zero, text
// operands, unclosed parentheses, nesting past the bound). The evaluator is also compared
// expression by expression, with where the reading stood after each one and after each error.
#include "error/recovery_jump.hpp"
#include "func/evaluator.hpp"
#include "host/parser_context.hpp"
#include "support/golden_both_ways.hpp"
#include "support/program_run.hpp"
#include "support/stepped_run.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <string_view>

namespace vornmac {
namespace {

TEST(TokensInView, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::tokens_in_view), 100);
}

std::string random_expression(std::mt19937 &random, size_t pieces, bool in_file) {
    using namespace std::string_view_literals; // a piece may hold a zero byte
    static constexpr std::string_view piece[] = {
        "1"sv,        "17"sv,         "0"sv,          "2147483647"sv,
        "007"sv,      "-"sv,          "+"sv,          "*"sv,
        "/"sv,        " mod "sv,      "MOD"sv,        "Mod "sv,
        " and "sv,    " OR "sv,       "not "sv,       "!"sv,
        "<"sv,        ">"sv,          "="sv,          "<>"sv,
        "<="sv,       "("sv,          ")"sv,          "(("sv,
        "))"sv,       "&x"sv,         "&n "sv,        "&k."sv,
        "&e"sv,       "&t"sv,         "&&y"sv,        "w&x"sv,
        "abc"sv,      "x y"sv,        "MiXed"sv,      "%str(a+b)"sv,
        "%str( )"sv,  "%eval(2*3)"sv, "%eval(1/0)"sv, "%substr(987,2,1)"sv,
        " "sv,        "\t"sv,         "\n"sv,         "\r\n"sv,
        "\r"sv,       "  \n "sv,      "/*c*/"sv,      "/ *c*/"sv,
        "//"sv,       "/\n"sv,        "/\r"sv,        "/&x"sv,
        "/'"sv,       "/%str(2)"sv,   "/ 2"sv,        "/\x01\x03"sv,
        "'"sv,        "\""sv,         "\x01\x03"sv,   "\x01\x04"sv,
        "\x02\x01"sv, ","sv,          "."sv,          ";"sv,
        "a\0b"sv,     "1/0"sv,        "5 mod 0"sv,    "-2147483648/-1"sv};
    std::uniform_int_distribution<size_t> pick(0, std::size(piece) - 1);
    std::uniform_int_distribution<size_t> long_word(196, 202);
    std::string text;
    for (size_t i = 0; i < pieces; ++i) {
        const std::string_view chosen = piece[pick(random)];
        if (chosen == "17"sv && i % 5 == 0)
            text += std::string(long_word(random), '7'); // around a token's bound
        else if (chosen == "(("sv && i % 11 == 0)
            text += std::string(70, '('); // past the nesting bound
        else if (in_file || chosen.find('\0') == std::string_view::npos)
            text += chosen;
    }
    return text;
}

// Expressions where the evaluator reads them: %eval, a condition, a loop's bounds, a number
// argument.
std::string random_program(std::mt19937 &random, size_t statements, bool in_file) {
    static constexpr const char *opening[] = {"(",  "( ", " (",  "\n(",   "/*c*/(", "((",
                                              "1+", ")",  "&x(", "\r\n(", "'(",     "%str(()"};
    std::uniform_int_distribution<size_t> pick_opening(0, std::size(opening) - 1);
    std::uniform_int_distribution<int> kind(0, 4);
    std::uniform_int_distribution<size_t> pieces(1, 12);
    std::string text;
    for (size_t i = 0; i < statements; ++i) {
        const std::string expression = random_expression(random, pieces(random), in_file);
        switch (kind(random)) {
        case 0:
            text += "[%eval(" + expression + ")] ";
            break;
        case 1:
            text += "%if " + expression + " %then yes; %else no;\n";
            break;
        case 2:
            text += "%do i = 1 %to (" + expression + ") mod 3; i&i %end;\n";
            break;
        case 3:
            text += "%substr(abcdef," + expression + ",2) ";
            break;
        default:
            text += "%eval" + std::string(opening[pick_opening(random)]) + expression + "\n";
            break;
        }
    }
    return text;
}

const testing::Options random_variables = {{"x", "12"}, {"y", "x"},   {"k", "K9"},
                                           {"e", ""},   {"t", "a+b"}, {"n", " 3 "}};

TEST(TokensInView, RandomExpressionsGiveTheSameRunEitherWay) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 40; ++round) {
        // Capitals folded in every other pair of rounds.
        const testing::TestHome home(testing::Options{{"_upper", round % 4 < 2 ? "no" : "yes"}});
        const bool in_file = round % 2 == 0;
        const std::string program = random_program(random, 10 + round, in_file);
        home.write("program.vm", program);
        const std::string file = home.path("program.vm");
        testing::ProgramRequest request;
        (in_file ? request.file : request.text) = in_file ? file.c_str() : program.c_str();
        request.variables = random_variables;
        request.max_tokens = 5000;
        const auto [fast, general] = testing::run_both_ways(&FastPaths::tokens_in_view, [&] {
            std::filesystem::remove(home.log_file()); // each run's log of its own
            return run_program(home, request);
        });
        ASSERT_EQ(fast.tokens, general.tokens) << "round " << round;
        ASSERT_EQ(testing::without_clock(fast.log), testing::without_clock(general.log))
            << "round " << round;
        ASSERT_EQ(fast.jumps.size(), general.jumps.size()) << "round " << round;
        for (size_t i = 0; i < fast.jumps.size(); ++i)
            EXPECT_EQ(fast.jumps[i].message, general.jumps[i].message) << "round " << round;
    }
}

// Each expression of the text evaluated in turn (as a value, a number or a condition), with
// where the reading stood after it: the token after it and where that began, the line and
// column, the source, the offset, the current character, the chain of substitutions and the
// errors raised so far. No host mark is set, so an error returns and the evaluation goes on.
std::vector<std::string> evaluation_steps(const testing::TestHome &home, const char *file,
                                          const char *text, bool upper_case) {
    return testing::record_steps(
        home, file, text, random_variables, upper_case, 400, [](ParserContext &context, int i) {
            Scanner &scanner = context.scanner;
            const InputStack &in = context.input;
            scanner.scan_token(0, 1);
            std::string value;
            if (i % 3 == 0)
                value = eval_expression(context);
            else if (i % 3 == 1)
                value = std::to_string(eval_integer(context));
            else
                value = eval_condition(context) ? "true" : "false";
            return value + "|" + scanner.next_token_text + "|" +
                   std::to_string(scanner.next_length) + "|" +
                   std::to_string(scanner.token_start_line) + ":" +
                   std::to_string(scanner.token_start_column) + ":" +
                   std::to_string(scanner.token_start_top) + "|" + std::to_string(in.live.line) +
                   ":" + std::to_string(in.live.column) + "|" + std::to_string(in.top) + "|" +
                   std::to_string(in.live.offset) + "|" + std::to_string(in.ch) + "|" +
                   std::to_string(in.live.silent_depth) + "|" +
                   std::to_string(context.errors.raised_count()) + ":" +
                   std::to_string(context.errors.last_number());
        });
}

TEST(TokensInView, EvaluatorStandsAtTheSamePlaceAfterEveryExpression) {
    std::mt19937 random(7);
    testing::TestHome home;
    for (int round = 0; round < 40; ++round) {
        const bool in_file = round % 2 == 0;
        const bool upper_case = round % 4 < 2;
        const std::string program = random_expression(random, 20 + 5 * round, in_file);
        home.write("program.vm", program);
        const std::string file = home.path("program.vm");
        const auto [fast, general] = testing::run_both_ways(&FastPaths::tokens_in_view, [&] {
            std::filesystem::remove(home.log_file());
            auto steps = evaluation_steps(home, in_file ? file.c_str() : nullptr,
                                          in_file ? nullptr : program.c_str(), upper_case);
            return std::pair{steps, testing::without_clock(home.read("test.log"))};
        });
        ASSERT_EQ(fast.first, general.first) << "round " << round;
        EXPECT_EQ(fast.second, general.second) << "round " << round;
    }
}

} // namespace
} // namespace vornmac
