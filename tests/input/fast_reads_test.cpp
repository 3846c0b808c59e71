// The input stack reads the common character inline and leaves the rest to its general
// steps. Every program must give the same tokens, jumps, output and variables either way:
// each golden case and random programs (from a file longer than the read buffer, and as
// host text) are run with the inline reading on and off, and the runs compared.
#include "input/input_stack.hpp"
#include "support/golden_both_ways.hpp"
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <random>

namespace vornmac {
namespace {

void set_fast_reads(bool on) {
    InputStack::fast_reads = on;
}

TEST(FastReads, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(set_fast_reads), 100);
}

// Pieces that reach every branch of the reading: words, white space with carriage
// returns, references, statements, comments, quotes and the stored-text markers.
std::string random_program(std::mt19937 &random, size_t pieces) {
    static const char *const piece[] = {
        "copy",
        "in=file12.dbf",
        " ",
        "  \t",
        "\n",
        "\r\n",
        "\r",
        "&x",
        "&x.",
        "&&y",
        "&x ",
        "%let x=ab c;",
        ";",
        "/* note */",
        "'",
        "\"",
        "(",
        ")",
        "\x01\x03",
        "\x01\x04",
        "\x02\x01",
        "%eval(1+2)",
        "%str(a;b)",
        "%do i=1 %to 2; z&i %end;",
        "abcdefghijklmnopqrstuvwxyz0123456789_abcdefghijklmnopqrstuvwxyz",
        "*",
        "&",
        "%",
        "."};
    std::uniform_int_distribution<size_t> pick(0, std::size(piece) - 1);
    std::string text;
    for (size_t i = 0; i < pieces; ++i)
        text += piece[pick(random)];
    return text;
}

TEST(FastReads, RandomProgramsGiveTheSameTokensEitherWay) {
    std::mt19937 random(20261206);
    testing::TestHome home;
    for (int round = 0; round < 60; ++round) {
        const std::string program = random_program(random, 20 + static_cast<size_t>(round) * 10);
        home.write("program.vm", program);
        const std::string file = home.path("program.vm");
        for (const bool as_text : {false, true}) {
            testing::ProgramRequest request;
            (as_text ? request.text : request.file) = as_text ? program.c_str() : file.c_str();
            request.variables = {{"x", "ab&y cd"}, {"y", "x"}};
            request.max_tokens = 5000;
            const auto [fast, general] =
                testing::run_both_ways(set_fast_reads, [&] { return run_program(home, request); });
            ASSERT_EQ(fast.tokens, general.tokens) << "round " << round << " text " << as_text;
            ASSERT_EQ(fast.jumps.size(), general.jumps.size()) << "round " << round;
            for (size_t i = 0; i < fast.jumps.size(); ++i)
                EXPECT_EQ(fast.jumps[i].message, general.jumps[i].message) << "round " << round;
        }
    }
}

} // namespace
} // namespace vornmac
