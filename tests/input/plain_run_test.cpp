// Macro arguments take stretches of plain input whole instead of token by token, and a simple
// argument list is read whole (ArgumentsInView). Every program must run the same either way:
// each golden case, and random calls whose arguments mix plain text with everything a run or
// a list must leave to the tokens (triggers, a word before a reference, values that are not
// name characters, quotes, comments, markers, line ends, carriage returns, zero bytes, words
// and white space longer than a token, named and surplus arguments, the end of the read
// buffer), from a file and as host text, with and without capitals folded. The log is
// compared too, as it holds where each error stood, and the values bound to the parameters,
// as the trace shows them (a list read whole is never traced, so that test runs untraced).
#include "input/argument_list.hpp"
#include "support/golden_both_ways.hpp"
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <string_view>

namespace vornmac {
namespace {

TEST(PlainRun, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::plain_runs), 100);
}

std::string random_argument(std::mt19937 &random, bool in_file) {
    using namespace std::string_view_literals; // a piece may hold a zero byte
    static constexpr std::string_view piece[] = {"copy"sv,     "MiXed CASE"sv,
                                                 " "sv,        " \t\v\f"sv,
                                                 "\n"sv,       "\r\n"sv,
                                                 "\r"sv,       "-"sv,
                                                 "="sv,        "("sv,
                                                 ")"sv,        ";"sv,
                                                 "*"sv,        "\""sv,
                                                 "/x"sv,       "/ *c*/"sv,
                                                 "/*c*/"sv,    "'a, b'"sv,
                                                 "&x"sv,       "w&x"sv,
                                                 "w&x."sv,     "&y "sv,
                                                 "&gone "sv,   "%str(,)"sv,
                                                 "%n[q]"sv,    "\x01\x03,\x01\x04"sv,
                                                 "\x02\x01"sv, "\xe9t\xe9"sv,
                                                 "a\0b"sv,     "."sv,
                                                 "&y"sv,       "&v198"sv,
                                                 "&v199"sv,    "x&y"sv,
                                                 "&y."sv,      "]"sv,
                                                 "["sv,        "&&y"sv};
    std::uniform_int_distribution<size_t> count(0, 6);
    std::uniform_int_distribution<size_t> pick(0, std::size(piece) - 1);
    std::uniform_int_distribution<size_t> long_word(150, 260);
    std::string text;
    for (size_t i = count(random); i > 0; --i) {
        const std::string_view chosen = piece[pick(random)];
        if (chosen == "copy"sv && i % 3 == 0)
            text += std::string(long_word(random), 'w'); // longer than a token holds
        else if (chosen == " "sv && i % 3 == 0)
            text += std::string(long_word(random), ' ');
        else if (in_file || chosen.find('\0') == std::string_view::npos)
            text += chosen;
    }
    return text;
}

// The log without the time each run started.
std::string timeless(const std::string &log) {
    static const std::regex time("\\d\\d:\\d\\d:\\d\\d \\d{4}");
    return std::regex_replace(log, time, "<time>");
}

// Each macro call's parameter values, as the trace reports them.
void note_arguments(void *user, const vornmac_trace_event *event) {
    if (event->kind != VORNMAC_TRACE_MACRO) return;
    auto &notes = *static_cast<std::string *>(user);
    for (int i = 0; i < event->argument_count; ++i)
        notes += std::string(event->argument_names[i]) + "=" + event->argument_values[i] + "|";
    notes += "\n";
}

// Definitions, then calls with positional and named arguments, long enough to cross the
// file's read buffer a few times. The library is the home's, named by saved options, as
// _upper would fold the capitals of a name written in the program.
std::string random_program(std::mt19937 &random, bool in_file) {
    std::string text = "%macro m[a,b=d]; <&a|&b> %mend; %macro n[c]; (&c) %mend;\n"
                       "%macro p[e,f]; {&e|&f} %mend;\n";
    while (text.size() < 4000) {
        text += "%m[" + random_argument(random, in_file) + "," + random_argument(random, in_file) +
                "] %M[" + random_argument(random, in_file) +
                ", B=" + random_argument(random, in_file) + "]\n%p[" +
                random_argument(random, in_file) + "," + random_argument(random, in_file) +
                (random() % 4 == 0 ? "," + random_argument(random, in_file) : "") + "]" +
                random_argument(random, in_file) + "%p[" + random_argument(random, in_file) + "]\n";
    }
    return text + "end.";
}

void use_home_library(const testing::TestHome &home, bool upper_case) {
    const std::string library = home.path("lib.mac");
    const char *names[] = {"_errorfile", "_macromacro", "_macro1", "_upper"};
    const char *values[] = {"test.msg", library.c_str(), library.c_str(),
                            upper_case ? "yes" : "no"};
    ASSERT_EQ(vornmac_write_variable_file(home.options_file().c_str(), 4, names, values), 0);
}

void expect_random_arguments_agree(bool FastPaths::*fast_path, bool traced) {
    std::mt19937 random(20261206);
    for (const bool upper_case : {false, true}) {
        testing::TestHome home;
        use_home_library(home, upper_case);
        for (int round = 0; round < 12; ++round) {
            const bool in_file = round % 2 == 0;
            const std::string program = random_program(random, in_file);
            home.write("program.vm", program);
            const std::string file = home.path("program.vm");
            testing::ProgramRequest request;
            (in_file ? request.file : request.text) = in_file ? file.c_str() : program.c_str();
            request.variables = {{"x", " lead ab"},
                                 {"y", "yy"},
                                 {"v198", std::string(198, 'v')},
                                 {"v199", std::string(199, 'v')}};
            request.max_tokens = 20000;
            if (traced) request.trace = note_arguments;
            const auto [runs, tokens] = testing::run_both_ways(fast_path, [&] {
                std::remove(home.path("lib.mac").c_str());
                std::remove(home.path("test.log").c_str());
                std::string arguments;
                request.trace_user = &arguments;
                return std::pair{testing::run_program(home, request), arguments};
            });
            ASSERT_EQ(runs.first.tokens, tokens.first.tokens) << "round " << round;
            ASSERT_EQ(runs.first.jumps.size(), tokens.first.jumps.size()) << "round " << round;
            for (size_t i = 0; i < runs.first.jumps.size(); ++i)
                EXPECT_EQ(runs.first.jumps[i].message, tokens.first.jumps[i].message)
                    << "round " << round;
            EXPECT_EQ(timeless(runs.first.log), timeless(tokens.first.log)) << "round " << round;
            EXPECT_EQ(runs.second, tokens.second) << "round " << round;
        }
    }
}

TEST(PlainRun, RandomArgumentsGiveTheSameRunEitherWay) {
    expect_random_arguments_agree(&FastPaths::plain_runs, true);
}

TEST(ArgumentsInView, RandomArgumentsGiveTheSameRunEitherWay) {
    expect_random_arguments_agree(&FastPaths::arguments_in_view, false);
}

} // namespace
} // namespace vornmac
