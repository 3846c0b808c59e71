// What the statements leave outside the token stream: the put file, the saved level and
// the environment.
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace vornmac {
namespace {

using testing::ProgramRequest;
using testing::ProgramRun;
using testing::run_program;
using testing::run_text;
using testing::TestHome;

TEST(PutStatement, WritesLinesToTheFileThatFileNames) {
    TestHome home;
    home.write("out.txt", "old\r\n");
    const ProgramRun run = run_text(home, "%put a  b;%put %let x=1;&x.;%put;done it",
                                    {{"_file", home.path("out.txt")}});
    EXPECT_EQ(home.read("out.txt"), "old\r\na  b\r\n1\r\n\r\n") << "appended, one line each";
    EXPECT_EQ(testing::joined(run.tokens), "done |it ");
}

TEST(PutStatement, UnopenableFileIsReportedAndTheStatementStillRead) {
    TestHome home;
    const ProgramRun run =
        run_text(home, "%put lost;after it", {{"_file", home.path("missing/out.txt")}});
    ASSERT_FALSE(run.jumps.empty());
    EXPECT_NE(run.jumps[0].message.find("2080"), std::string::npos) << run.jumps[0].message;
}

// Bodies and branches longer than a text chain holds are read to their end and reported;
// nothing of them runs, and the program goes on after them.
TEST(LongBodies, AreReadToTheirEndAndReported) {
    const std::string lines = [] {
        std::string text;
        for (int i = 0; i < 330; ++i)
            text += std::string(100, 'x') + "\n";
        return text;
    }();
    TestHome home;
    // Longer than host text may be: the program is a file.
    home.write("long.vm", "%do i = 1 %to 2;" + lines + "%end; a\n" + "%if 1 %then %do;" + lines +
                              "%end; %else no; b\n" + "%do %select(1); %case 1;" + lines +
                              "%end; %end; c");
    const std::string file = home.path("long.vm");
    ProgramRequest request;
    request.file = file.c_str();
    const ProgramRun run = run_program(home, request);
    EXPECT_EQ(testing::joined(run.tokens), "|a |b |c ");
    ASSERT_EQ(run.jumps.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(run.jumps[i].message.find("4631"), std::string::npos) << run.jumps[i].message;
}

TEST(SavevarStatement, ValueReachesTheNextRunThroughTheVariableFile) {
    TestHome home;
    run_text(home, "%let kept = 42; %let gone = 1; %savevar kept; x y");
    const ProgramRun next = run_text(home, "&kept. &gone. z");
    EXPECT_EQ(testing::joined(next.tokens), "42 | |z ") << "gone stayed at level 0";
    ASSERT_EQ(next.jumps.size(), 2u); // gone, then the end of input
    EXPECT_NE(next.jumps[0].message.find("gone"), std::string::npos);
}

TEST(DosenvStatement, CopiesTheUpperCaseEnvironmentVariable) {
    ::setenv("VORNMAC_TEST_ENV", "from env", 1);
    TestHome home;
    const ProgramRun run = run_text(home, "%dosenv vornmac_Test_env   ;[&__vornmac_Test_env.] z");
    ::unsetenv("VORNMAC_TEST_ENV");
    EXPECT_EQ(testing::joined(run.tokens), "[|from |env|] |z ");
}

// Programs pieced together from the words of the statements that cannot repeat (a loop
// may legitimately run for ever): whatever the order, the run ends without a crash.
TEST(StatementRobustness, ArbitraryStatementsEndCleanly) {
    static const char *const pieces[] = {
        "%let ",    "%append ", "%copyvar ",  "%global ", "%local ", "%prevlevel ", "%put ",
        "%* ",      "%if ",     "%then ",     "%else ",   "%do ",    "%do;",        "%end",
        "%select(", "%case ",   "%otherwise", "x",        "y ",      "=",           "1",
        "0",        ";",        ";",          "(",        ")",       ",",           "&x",
        "&y.",      "'",        "\n",         " ",        "%str(;)"};
    std::mt19937 random(20261206);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    TestHome home;
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = 0; i < 4 + round % 40; ++i)
            text += pieces[pick(random)];
        ProgramRequest request;
        request.text = text.c_str();
        request.variables = {{"x", "1"}, {"y", "%let x=0;"}};
        request.max_tokens = 400;
        const ProgramRun run = run_program(home, request);
        ASSERT_TRUE(run.created) << "round " << round << ": " << text;
    }
}

} // namespace
} // namespace vornmac
