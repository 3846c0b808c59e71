// A counted loop keeps a record of its header and steps its variable through it on each
// pass whose header reads as recorded. Every program must run the same with the records
// kept and with every header scanned: each golden case, and loops whose bodies change the
// variable, move it to another level, nest, wrap, or whose slot is later read as other text.
#include "stmt/loop_records.hpp"
#include "support/golden_both_ways.hpp"
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vornmac {
namespace {

TEST(LoopRecords, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::loop_records), 100);
}

// Runs the program both ways; tokens, jumps with their messages and the log (which holds
// the line and column of every error) must agree, and the tokens must be `expected`.
void expect_same_run(const std::string &program, const std::string &expected,
                     const std::string &include = "") {
    testing::TestHome home;
    std::string text = program;
    for (size_t at; (at = text.find("HOME/")) != std::string::npos;)
        text.replace(at, 5, home.dir());
    home.write("program.vm", text);
    home.write("inc.vm", include);
    const std::string file = home.path("program.vm");
    testing::ProgramRequest request;
    request.file = file.c_str();
    const auto [kept, scanned] = testing::run_both_ways(&FastPaths::loop_records, [&] {
        std::remove(home.log_file().c_str());
        return testing::run_program(home, request);
    });
    EXPECT_EQ(testing::joined(kept.tokens), expected);
    EXPECT_EQ(testing::joined(scanned.tokens), expected);
    ASSERT_EQ(kept.jumps.size(), scanned.jumps.size());
    for (size_t i = 0; i < kept.jumps.size(); ++i)
        EXPECT_EQ(kept.jumps[i].message, scanned.jumps[i].message);
    EXPECT_EQ(testing::without_clock(kept.log), testing::without_clock(scanned.log));
}

TEST(LoopRecords, BodyChangingTheVariableIsSeenOnTheNextPass) {
    expect_same_run("%do i = 1 %to 20; [&i.] %let i = %eval(&i*3); %end; after &i.",
                    "[|1|] |[|4|] |[|13|] |after |40 ");
    // White space after the number is read, and the next value is written plainly.
    expect_same_run("%do i = 1 %to 5; [&i.] %let i = %eval(&i+1) ; %end; after &i.",
                    "[|1|] |[|3|] |[|5|] |after |7 ");
}

TEST(LoopRecords, VariableThatIsNoLongerANumberEndsTheLoopWithTheError) {
    expect_same_run("%do i = 1 %to 5; [&i.] %let i = x&i; %end; after &i.\nnext line",
                    "[|1|] |after |x1 |next |line ");
}

TEST(LoopRecords, VariableMovedToTheGlobalLevelIsSteppedAtTheLoopsLevel) {
    // Inside a macro the loop runs one level up; %global moves the value down to level 0,
    // so each step sets a new value at the loop's level, and after the call the global
    // value is the last one moved down.
    expect_same_run("%let _macromacro = HOME/loops; %macro m; %do i = 1 %to 3; <&i.> %global i; "
                    "%end; %mend;\n"
                    "%macinstall 1 HOME/loops.mac; %m; after &i.",
                    "; |<|1|> |<|2|> |<|3|> |; |after |3 ");
}

TEST(LoopRecords, NestedLoopsAndACalledLoopEachSteptheirOwnVariable) {
    expect_same_run("%do i = 1 %to 2; %do j = 3 %to 1 %by -2; &i.&j %end; %end; "
                    "%do i = 2 %to 1; never %end; &i.&j.",
                    "13 |11 |23 |21 |2|-|1 ");
    expect_same_run(
        "%let _macromacro = HOME/loops; %macro m[n]; %do k = 1 %to &n; &k %end; %mend;\n"
        "%macinstall 1 HOME/loops.mac; %m[2] %m[3] end.",
        "; |1 |2 |; |1 |2 |3 |end|. ");
}

TEST(LoopRecords, ErrorsAfterAndInsideTheLoopShowTheSamePlace) {
    // The log holds each error's line and column, counted on through the loop text.
    expect_same_run("%do i = 1 %to 2; a %end; &nothing. b\n"
                    "%do i = 1 %to 2;\n &i &nothing. %end;\n%do j = 1 %to 1; %end; &gone",
                    "a |a | |b |1 ");
}

TEST(LoopRecords, LoopReadInsideAStatementRunsAsScanned) {
    // The statement reads the loop text token by token, the marker that begins each pass
    // too: only the host's own scan steps the loop through the record at %doend.
    expect_same_run("%let v = %do i = 1 %to 3; <&i.> %end; ; [&v.] &i.", "|] |4 ");
    expect_same_run("%put %do i = 1 %to 3; <&i.> %end; ; &i.", "");
}

TEST(LoopRecords, CounterCarriesIntoNewDigitsAndEndsBeforeItWraps) {
    expect_same_run("%do i = -1 %to 11; &i %end; %do i = 98 %to 101; &i %end; after &i.",
                    "-|1 |0 |1 |2 |3 |4 |5 |6 |7 |8 |9 |10 |11 |98 |99 |100 |101 |after |102 ");
    expect_same_run("%do i = 2147483646 %to 2147483647; &i %end; after &i.",
                    "2147483646 |2147483647 |after |-|2147483648 ");
    expect_same_run("%do i = -2147483647 %to -2147483648 %by -1; &i %end; after &i.",
                    "-|2147483647 |-|2147483648 |after |2147483647 ");
}

TEST(LoopRecords, BodyStartsAsTheHeadersSemicolonLeavesIt) {
    // The ";" after the header is a token of its own with the white space after it, or it
    // ends where a reference, a statement or a carriage return follows.
    expect_same_run("%do i = 1 %to 2;&i %end; %do i = 1 %to 2;   x\n%end; "
                    "%do i = 1 %to 2;\r\ny%end; %do i = 8 %to 11;%let i = &i;%end; &i.",
                    "1 |2 |x |x |y|y|12 ");
    expect_same_run("%do i = 1 %to 2;" + std::string(199, 'w') + " %end;",
                    std::string(199, 'w') + "| |" + std::string(199, 'w') + "| ");
}

TEST(LoopRecords, VariableThatHoldsTheLoopTextIsLeftToTheHeader) {
    expect_same_run("%do _TEMP1 = 1 %to 3; x %end; after", "|after ");
}

TEST(LoopRecords, RecordLeftBehindReadsOtherTextAsWritten) {
    // The loop's slot later holds an included file that begins with the same header words:
    // they are read as a header of their own, which ends that text when the counter is past.
    expect_same_run("%do i = 1 %to 2; a %end; %let i = 0; %include HOME/inc.vm; z.",
                    "a |a |b |z|. ", "%do#i#2#1; b\n");
}

} // namespace
} // namespace vornmac
