// Programs nested as deep as their text can nest them run in a thread with a 256 KiB stack,
// as a host's thread may have: each kind of nesting stops at its bound with its error
// instead of running out of stack. Each deep program here overflowed that stack before the
// bounds were counted for the whole context, and all kinds at their bounds at once fit.
#include "support/program_run.hpp"
#include "support/small_stack.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vornmac {
namespace {

using testing::ProgramRequest;
using testing::ProgramRun;
using testing::run_in_small_stack;
using testing::TestHome;

std::string repeated(const std::string &text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// The messages of the jumps the run made, one per line.
std::string jump_messages(const ProgramRun &run) {
    std::string out;
    for (const testing::Jump &jump : run.jumps)
        out += jump.message + "\n";
    return out;
}

// The message of the first error `text` raises, run from a program file (which unlike a
// text from the host may be of any length) in the small stack.
std::string first_error(const std::string &text) {
    TestHome home;
    home.write("deep.vm", text);
    const std::string file = home.path("deep.vm");
    ProgramRequest request;
    request.file = file.c_str();
    request.max_tokens = 5000;
    ProgramRun run;
    run_in_small_stack([&] { run = run_program(home, request); });
    return run.jumps.empty() ? "" : run.jumps[0].message;
}

TEST(SmallStack, DeepExpressionsStopAtTheExpressionBound) {
    const std::string bound_error = "ERROR #4643 : expression nested deeper than 64\n";
    EXPECT_EQ(first_error("%eval(" + repeated("(", 50000) + "1" + repeated(")", 50000) + ")\n"),
              bound_error);
    EXPECT_EQ(first_error("%eval(" + repeated("! not ", 30000) + "1)\n"), bound_error);
    // 30 %eval calls, each 40 parentheses deep: no one expression passes the bound.
    EXPECT_EQ(first_error(repeated("%eval(" + repeated("(", 40) + "1+", 30) + "1" +
                          repeated(repeated(")", 40) + ")", 30) + "\n"),
              bound_error);
}

TEST(SmallStack, DeepFunctionsAndStatementsStopAtTheDispatchBound) {
    const std::string bound_error = "ERROR #4642 : nested deeper than 32\n";
    EXPECT_EQ(first_error(repeated("%eval(", 1000) + "1" + repeated(")", 1000) + "\n"),
              bound_error);
    EXPECT_EQ(first_error(repeated("%let a = ", 600) + "1;\n"), bound_error);
}

TEST(SmallStack, CopiedIfStatementsCountAcrossCopiers) {
    // A quoting pair turns expansion back on inside a branch being copied, so the %eval in
    // it runs there and its %if copies a branch of its own: 150 nested %if statements per
    // copier, none of which passes the bound alone.
    const std::string quoting_pair = "\x01\x03\x01\x04";
    EXPECT_EQ(
        first_error(repeated(repeated("%if 1 %then ", 150) + quoting_pair + "%eval(", 10) + "1\n"),
        "ERROR #4641 : if nested too deep\n");
}

TEST(SmallStack, AllKindsAtTheirBoundsAtOnceFitTheStack) {
    // 32 dispatch levels (31 %eval and a %if), 64 expression levels (63 parentheses, each
    // under the whole chain of operators, and the %if condition's own) and 200 copied %if
    // statements, with an error reported at the innermost point.
    const std::string operator_chain = "(1 or 1 and 1 = 1 + ";
    EXPECT_EQ(first_error(repeated("%eval(", 31) + repeated(operator_chain, 63) +
                          repeated("%if 1 %then ", 201) + "\x01\x03\x01\x04&nosuch. \n"),
              "ERROR #2021 : undefined variable nosuch\n");
}

// Inputs the program fuzzer found, read as it reads them (the first line is the value of x,
// the rest is the program), run to the end of their input.
TEST(SmallStack, ProgramFuzzFindingsRunToTheirEnd) {
    for (const auto &entry : std::filesystem::directory_iterator(
             std::filesystem::path(FUZZ_FINDINGS_DIR) / "program")) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        const std::string input = bytes.str();
        const size_t line_end = input.find('\n');
        const std::string value = input.substr(0, line_end);
        const std::string program = line_end == std::string::npos ? "" : input.substr(line_end + 1);
        TestHome home;
        ProgramRequest request;
        request.text = program.c_str();
        request.variables = {{"x", value}};
        request.max_tokens = 5000;
        ProgramRun run;
        run_in_small_stack([&] { run = run_program(home, request); });
        ASSERT_TRUE(run.created) << entry.path();
        ASSERT_FALSE(run.jumps.empty()) << entry.path();
        EXPECT_EQ(run.jumps.back().message, "ERROR #173 : input exhausted\n")
            << entry.path() << "\n"
            << jump_messages(run);
    }
}

} // namespace
} // namespace vornmac
