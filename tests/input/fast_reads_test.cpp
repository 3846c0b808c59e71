// The input stack reads the common character inline, and the scanner takes whole plain
// tokens and runs of name characters from what the input has ready; the rest goes through
// the general steps. A value of name characters is taken into the token in place instead
// of being pushed as a source, and a token that begins with such a reference is read whole.
// A file's windows are copied from bytes read ahead, the log's echo gathered in spans, runs
// of plain tokens delivered to the host in one request, and the markers before a host's
// token stepped over in view.
// Every program must give the same tokens, jumps, output and variables either way: each
// golden case and random programs (from a file longer than the read buffer, and as host
// text) are run with each fast path on and off, and the runs compared. The scanner itself is
// compared token by token too, with where the reading stood after each one, since line and
// column show only in error messages.
#include "error/recovery_jump.hpp"
#include "host/parser_context.hpp"
#include "input/input_stack.hpp"
#include "input/scanner.hpp"
#include "support/golden_both_ways.hpp"
#include "support/program_run.hpp"
#include "support/stepped_run.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace vornmac {
namespace {

TEST(FastReads, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::reads), 100);
}

TEST(ValuesInPlace, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::values_in_place), 100);
}

TEST(ReferenceTokens, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::reference_tokens), 100);
}

TEST(EchoSpans, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::echo_spans), 100);
}

TEST(TokenBatches, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::token_batches), 100);
}

TEST(ReadAhead, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::read_ahead), 100);
}

TEST(MarkerSkips, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::marker_skips), 100);
}

// Pieces that reach every branch of the reading: words, white space with carriage
// returns, references (with every kind of character after the name, inside words, to
// values of every kind, and names at a word's length bound: "&n"), statements, macro
// calls, command variables, comments, quotes and the stored-text markers.
std::string random_program(std::mt19937 &random, size_t pieces) {
    using namespace std::string_view_literals; // a piece may hold a zero byte
    static constexpr std::string_view piece[] = {
        "copy"sv,
        "in=file12.dbf"sv,
        " "sv,
        "  \t"sv,
        "\n"sv,
        "\r\n"sv,
        "\r"sv,
        "&x"sv,
        "&x."sv,
        "&&y"sv,
        "&x "sv,
        "&X\r\n"sv,
        "&x \r"sv,
        "&x \t."sv,
        "&x\n"sv,
        "&x\x01\x03"sv,
        "&.x"sv,
        "&&&y"sv,
        "&x&y"sv,
        "&n"sv,
        "x&y.z"sv,
        "&k&y."sv,
        "&k  &k;"sv,
        "&k.z\n"sv,
        "&y \n"sv,
        "&K\t."sv,
        "w&long.w"sv,
        "&e."sv,
        "&e x"sv,
        "&p "sv,
        "&q."sv,
        "&lead."sv,
        "%let x=ab c;"sv,
        ";"sv,
        "/* note */"sv,
        "'"sv,
        "\""sv,
        "("sv,
        ")"sv,
        "\x01\x03"sv,
        "\x01\x04"sv,
        "\x01\x01\x01\x02"sv,
        "\x01\x07\x01\x08"sv,
        "\x01\r\n"sv,
        "\x01"sv,
        "&m "sv,
        "&z.&z"sv,
        "\x02\x01"sv,
        "%eval(1+2)"sv,
        "%str(a;b)"sv,
        "%do i=1 %to 2; z&i %end;"sv,
        "%LET w=x;"sv,
        "%nosuch[&x] "sv,
        "%sys_c1."sv,
        "abcdefghijklmnopqrstuvwxyz0123456789_abcdefghijklmnopqrstuvwxyz"sv,
        "MiXed CASE"sv,
        "\xe9t\xe9 \xff"sv,
        "\n\n"sv,
        " \t\v\f\n"sv,
        "\t;\r\n"sv,
        "a\0b"sv,
        "="sv,
        "/ x"sv,
        "*"sv,
        "&"sv,
        "%"sv,
        "."sv};
    std::uniform_int_distribution<size_t> pick(0, std::size(piece) - 1);
    std::string text;
    std::uniform_int_distribution<size_t> long_word(150, 260);
    for (size_t i = 0; i < pieces; ++i) {
        const size_t chosen = pick(random);
        // Words longer than a token holds, now and then.
        if (chosen == 0 && i % 7 == 0) text += std::string(long_word(random), 'w');
        if (piece[chosen] == "&n"sv)
            text += "&" + std::string(i % 2 == 0 ? 198 : 199, 'n') + ".";
        else
            text += piece[chosen];
    }
    return text;
}

// Values of every kind: name characters (long ones reach a token's bound), empty, and
// holding a reference, a per cent sign, a quote, white space at either end or markers.
const testing::Options random_variables = {{"x", "ab&y cd"},
                                           {"y", "x"},
                                           {"k", "K\xe9y_9"},
                                           {"long", std::string(60, 'L')},
                                           {"e", ""},
                                           {"p", "50%"},
                                           {"q", "it's"},
                                           {"lead", " \tlead "},
                                           {"m", "a\x01\x03b"},
                                           {"z", "w\x01\x01\x01\x02"},
                                           {std::string(198, 'n'), "long "},
                                           {std::string(199, 'n'), "longer"}};

// Calls `check(home, program, file, as_text, round)` for `rounds` random programs of
// growing size, each read from a file and as host text.
template <typename Check>
void for_each_random_program(unsigned seed, int rounds, size_t first_size, size_t size_step,
                             Check check) {
    std::mt19937 random(seed);
    testing::TestHome home;
    for (int round = 0; round < rounds; ++round) {
        const std::string program =
            random_program(random, first_size + static_cast<size_t>(round) * size_step);
        home.write("program.vm", program);
        const std::string file = home.path("program.vm");
        for (const bool as_text : {false, true})
            check(home, program, file, as_text, round);
    }
}

void expect_random_programs_agree(bool FastPaths::*fast_path) {
    for_each_random_program(
        20261206, 60, 20, 10,
        [&](const testing::TestHome &home, const std::string &program, const std::string &file,
            bool as_text, int round) {
            testing::ProgramRequest request;
            (as_text ? request.text : request.file) = as_text ? program.c_str() : file.c_str();
            request.variables = random_variables;
            request.max_tokens = 5000;
            const auto [fast, general] = testing::run_both_ways(fast_path, [&] {
                std::filesystem::remove(home.log_file()); // each run's log of its own
                return run_program(home, request);
            });
            ASSERT_EQ(fast.tokens, general.tokens) << "round " << round << " text " << as_text;
            ASSERT_EQ(testing::without_clock(fast.log), testing::without_clock(general.log))
                << "round " << round << " text " << as_text;
            ASSERT_EQ(fast.jumps.size(), general.jumps.size()) << "round " << round;
            for (size_t i = 0; i < fast.jumps.size(); ++i)
                EXPECT_EQ(fast.jumps[i].message, general.jumps[i].message) << "round " << round;
        });
}

TEST(FastReads, RandomProgramsGiveTheSameTokensEitherWay) {
    expect_random_programs_agree(&FastPaths::reads);
}

TEST(ValuesInPlace, RandomProgramsGiveTheSameTokensEitherWay) {
    expect_random_programs_agree(&FastPaths::values_in_place);
}

TEST(ReferenceTokens, RandomProgramsGiveTheSameTokensEitherWay) {
    expect_random_programs_agree(&FastPaths::reference_tokens);
}

TEST(EchoSpans, RandomProgramsGiveTheSameTokensEitherWay) {
    expect_random_programs_agree(&FastPaths::echo_spans);
}

TEST(ReadAhead, RandomProgramsGiveTheSameTokensEitherWay) {
    expect_random_programs_agree(&FastPaths::read_ahead);
}

TEST(MarkerSkips, RandomProgramsGiveTheSameTokensEitherWay) {
    expect_random_programs_agree(&FastPaths::marker_skips);
}

// Each token the scanner gives, in either mode, with where the reading stood after it:
// the token's start, the line and column, the source, the offset, the current character
// and the quote state.
std::vector<std::string> scan_steps(const testing::TestHome &home, const char *file,
                                    const char *text, bool upper_case) {
    return testing::record_steps(
        home, file, text, random_variables, upper_case, 5000, [](ParserContext &context, int i) {
            Scanner &scanner = context.scanner;
            const InputStack &in = context.input;
            // Mode 1 takes one white-space character only.
            scanner.scan_token(i % 3 == 2 ? 1 : 0, 1);
            return std::string(scanner.next_token_text) + "|" +
                   std::to_string(scanner.token_start_line) + ":" +
                   std::to_string(scanner.token_start_column) + "|" + std::to_string(in.live.line) +
                   ":" + std::to_string(in.live.column) + "|" + std::to_string(in.top) + "|" +
                   std::to_string(in.live.offset) + "|" + std::to_string(in.ch) + "|" +
                   std::to_string(scanner.quote_state);
        });
}

void expect_scan_steps_agree(bool FastPaths::*fast_path) {
    for_each_random_program(
        7, 40, 30, 8,
        [&](const testing::TestHome &home, const std::string &program, const std::string &file,
            bool as_text, int round) {
            const bool upper_case = round % 2 == 1;
            const auto [fast, general] = testing::run_both_ways(fast_path, [&] {
                return scan_steps(home, as_text ? nullptr : file.c_str(),
                                  as_text ? program.c_str() : nullptr, upper_case);
            });
            ASSERT_EQ(fast, general) << "round " << round << " text " << as_text;
        });
}

TEST(FastReads, ScannerStandsAtTheSamePlaceAfterEveryToken) {
    expect_scan_steps_agree(&FastPaths::reads);
}

TEST(ValuesInPlace, ScannerStandsAtTheSamePlaceAfterEveryToken) {
    expect_scan_steps_agree(&FastPaths::values_in_place);
}

TEST(ReferenceTokens, ScannerStandsAtTheSamePlaceAfterEveryToken) {
    expect_scan_steps_agree(&FastPaths::reference_tokens);
}

// A value that would fill the token is read as a source, which is still on the stack when
// the token ends: words of every length up to the bound, with references after them.
TEST(ValuesInPlace, ValuesAtTheTokenBoundLeaveTheSameSteps) {
    std::string program;
    for (size_t length = 185; length < token_size; ++length)
        for (const char *reference : {"&y  ;", "&y.w\n", "&k ;", "&k\n"})
            program += std::string(length, 'w') + reference;
    testing::TestHome home;
    home.write("program.vm", program);
    const std::string file = home.path("program.vm");
    for (const bool upper_case : {false, true}) {
        const auto [fast, general] = testing::run_both_ways(&FastPaths::values_in_place, [&] {
            return scan_steps(home, file.c_str(), nullptr, upper_case);
        });
        EXPECT_EQ(fast, general);
    }
}

} // namespace
} // namespace vornmac
