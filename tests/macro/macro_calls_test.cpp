// Macro calls save their parameters through the variables an earlier call of the same record
// made. Every call must bind as a search by name would: each parameter under the name the
// definition gives it, a refused value named that way, a variable of the same name in
// another letter case left alone at its own level.
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

using testing::joined;

TEST(MacroCalls, LaterCallsBindParametersAsTheFirstDid) {
    testing::TestHome home(testing::Options{{"_errorfile", "calls.msg"}});
    // The test messages with one for a value too long, in number order.
    std::string messages = testing::test_messages;
    messages.insert(messages.find("\n4604 ") + 1, "4601 3 too long: [%s]\n");
    home.write("calls.msg", messages);
    const std::string program = "%let _macromacro=" + home.dir() +
                                "lib; %macro m[a, B=d]; <&a|&b> %mend;\n"
                                "%macinstall 1 " +
                                home.dir() +
                                "lib.mac;\n"
                                "%m[1] %m[2,b=3] %m[&big&big,b=4] %m[5] &A.\n";
    testing::ProgramRequest request;
    request.text = program.c_str();
    // The global A is the variable the parameter a is saved in, one level up; 80,000
    // characters are more than a value may hold.
    request.variables = {{"A", "global"}, {"big", std::string(40000, 'q')}};
    request.max_tokens = 5000;
    const testing::ProgramRun run = testing::run_program(home, request);
    ASSERT_EQ(run.jumps.size(), 2u);
    EXPECT_EQ(run.jumps[0].message, "ERROR #4601 : too long: [a]\n");
    // The refused call jumps before its body; the global is as it was.
    EXPECT_EQ(joined(run.tokens), "; |<|1|||d|> |; |<|2|||3|> |; |<|5|||d|> |global ");
}

} // namespace
} // namespace vornmac
