// A macro call's simple argument list is read whole from what the input has in view. Every
// program must run the same with it read whole and token by token: each golden case, and
// calls at the list's edges (white space around the arguments and after the "]", a line end
// after it, references whose values are or are not name characters, values and names near a
// token's bound, surplus and named arguments, a list cut by a line end), with the positions
// that errors inside the body and after the call report.
#include "support/golden_both_ways.hpp"
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

TEST(ArgumentsInView, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::arguments_in_view), 100);
}

struct CallRun {
    std::string tokens;
    std::string messages;
    std::string log;
};

// Runs the definitions and calls, with a library of the home's, both ways; both must agree.
CallRun run_either_way(const std::string &definitions, const std::string &calls, bool in_file) {
    testing::TestHome home;
    const std::string program = "%let _macromacro=" + home.dir() + "lib; " + definitions +
                                "%macinstall 1 " + home.dir() + "lib.mac;\n" + calls;
    home.write("program.vm", program);
    const std::string file = home.path("program.vm");
    testing::ProgramRequest request;
    (in_file ? request.file : request.text) = in_file ? file.c_str() : program.c_str();
    request.max_tokens = 5000;
    request.variables = {{"i", "17"},
                         {"s", "a b"},
                         {"v198", std::string(198, 'v')},
                         {"v199", std::string(199, 'v')}};
    const auto [whole, tokens] = testing::run_both_ways(&FastPaths::arguments_in_view, [&] {
        std::remove(home.log_file().c_str());
        std::remove(home.path("lib.mac").c_str());
        const testing::ProgramRun run = testing::run_program(home, request);
        CallRun result{testing::joined(run.tokens), "", testing::without_clock(run.log)};
        for (const auto &jump : run.jumps)
            result.messages += jump.message + "\n";
        return result;
    });
    EXPECT_EQ(whole.tokens, tokens.tokens);
    EXPECT_EQ(whole.messages, tokens.messages);
    EXPECT_EQ(whole.log, tokens.log);
    return whole;
}

TEST(ArgumentsInView, ListsAtTheirEdgesReadAsTheirTokens) {
    const std::string definitions =
        "%macro p[a,b]; {&a|&b} %mend; %macro q[a,b=d]; (&a/&b) %mend;\n";
    const std::string calls =
        "%p[x,&i] %p[ x y ,\t&i]%p[-1.5,(q)]\n%p[&i,&s] %p[,] %p[] %p[x]\n"
        "%p[&i,x]\n%p[x,&i];%p[&v198,&v199] %p[w&i,&i.] %p[x,&i ] %q[x] %q[x,b=&i]\n"
        "%p[x,y,z] %p[x\n,y] %p[" +
        std::string(197, ' ') + "x," + std::string(198, ' ') + "y] %p[x,&nothere] end.";
    for (const bool in_file : {true, false}) {
        const CallRun run = run_either_way(definitions, calls, in_file);
        EXPECT_EQ(run.tokens.substr(0, 122),
                  "; |{|x|||17|} |; |{|x |y |||17|} |; |{|-|1|.|5|||(|q|)|} |; |{|17|||a |b|} "
                  "|; |{|||} |; |{|||} |; |{|x|||} |; |{|17|||x|} ");
    }
}

TEST(ArgumentsInView, ErrorsAfterTheCallStandWhereTheyDid) {
    // The body's error and the one after the call report their lines and columns.
    for (const bool in_file : {true, false}) {
        const CallRun run = run_either_way("%macro p[a,b]; &a &b &undefined %mend;\n",
                                           "  %p[abc,&i]   &gone %p[ x ,&i]\n&gone2 end.", in_file);
        EXPECT_NE(run.messages, "");
        // The input ends in the white space after the "]", with the list still open.
        EXPECT_NE(run_either_way("%macro p[a,b]; (&a) %mend;\n", "%p[x,&i]  ", in_file).messages,
                  "");
    }
}

} // namespace
} // namespace vornmac
