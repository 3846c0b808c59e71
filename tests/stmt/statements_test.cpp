// What the statements leave outside the token stream: the put file, the saved level and
// the environment.
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace vornmac {
namespace {

using testing::ProgramRequest;
using testing::ProgramRun;
using testing::run_program;
using testing::TestHome;

ProgramRun run_in(const TestHome &home, const char *text, testing::Options variables = {}) {
    ProgramRequest request;
    request.text = text;
    request.variables = std::move(variables);
    return run_program(home, request);
}

TEST(PutStatement, WritesLinesToTheFileThatFileNames) {
    TestHome home;
    home.write("out.txt", "old\r\n");
    const ProgramRun run =
        run_in(home, "%put a  b;%put %let x=1;&x.;%put;done it", {{"_file", home.path("out.txt")}});
    EXPECT_EQ(home.read("out.txt"), "old\r\na  b\r\n1\r\n\r\n") << "appended, one line each";
    EXPECT_EQ(testing::joined(run.tokens), "done |it ");
}

TEST(PutStatement, UnopenableFileIsReportedAndTheStatementStillRead) {
    TestHome home;
    const ProgramRun run =
        run_in(home, "%put lost;after it", {{"_file", home.path("missing/out.txt")}});
    ASSERT_FALSE(run.jumps.empty());
    EXPECT_NE(run.jumps[0].message.find("2080"), std::string::npos) << run.jumps[0].message;
}

TEST(SavevarStatement, ValueReachesTheNextRunThroughTheVariableFile) {
    TestHome home;
    run_in(home, "%let kept = 42; %let gone = 1; %savevar kept; x y");
    const ProgramRun next = run_in(home, "&kept. &gone. z");
    EXPECT_EQ(testing::joined(next.tokens), "42 | |z ") << "gone stayed at level 0";
    ASSERT_EQ(next.jumps.size(), 2u); // gone, then the end of input
    EXPECT_NE(next.jumps[0].message.find("gone"), std::string::npos);
}

TEST(DosenvStatement, CopiesTheUpperCaseEnvironmentVariable) {
    ::setenv("VORNMAC_TEST_ENV", "from env", 1);
    TestHome home;
    const ProgramRun run = run_in(home, "%dosenv vornmac_Test_env   ;[&__vornmac_Test_env.] z");
    ::unsetenv("VORNMAC_TEST_ENV");
    EXPECT_EQ(testing::joined(run.tokens), "[|from |env|] |z ");
}

} // namespace
} // namespace vornmac
