// Arbitrary input must never crash or hang the library: programs and variable values made
// of the characters that drive the scanner, and variable files of arbitrary bytes.
#include "support/program_run.hpp"
#include "support/random_text.hpp"

#include <gtest/gtest.h>

namespace vornmac {
namespace {

using testing::ProgramRequest;
using testing::ProgramRun;
using testing::random_text;
using testing::TestHome;

TEST(Robustness, ArbitraryProgramsEndCleanly) {
    std::mt19937 random(20261205);
    TestHome home;
    for (int round = 0; round < 150; ++round) {
        ProgramRequest request;
        const std::string text = random_text(random, 5 + round % 60);
        request.text = text.c_str();
        request.variables = {{"x", random_text(random, 8)},
                             {"y", random_text(random, 8)},
                             {"sys_c1", random_text(random, 8)}};
        request.max_tokens = 400;
        const ProgramRun run = run_program(home, request);
        ASSERT_TRUE(run.created) << "round " << round;
        ASSERT_LT(run.tokens.size(), 500u) << "round " << round;
    }
}

TEST(Robustness, ArbitraryVariableFilesAreRefusedOrLoaded) {
    std::mt19937 random(5);
    TestHome home;
    const std::string good = home.read("vorn_opt.dat");
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string bytes = good;
        // Damage a few bytes, or cut the file short.
        for (int i = 0; i < 1 + round % 4; ++i)
            bytes[static_cast<size_t>(byte(random)) % bytes.size()] =
                static_cast<char>(byte(random));
        if (round % 5 == 0) bytes.resize(static_cast<size_t>(byte(random)) % bytes.size());
        home.write("damaged.dat", bytes);
        ::testing::internal::CaptureStderr();
        const std::string options = home.path("damaged.dat");
        parser_context *ctx = init_parser(nullptr, 0, nullptr, "a b\n", home.dir().c_str(),
                                          VORNMAC_OPTIONS_TAG, options.c_str(), 0, nullptr);
        ::testing::internal::GetCapturedStderr();
        if (ctx != nullptr) finish_parser(ctx, 2);
    }
}

} // namespace
} // namespace vornmac
