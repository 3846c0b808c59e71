// What was open when the input ran out: every construct that swallows the rest of a
// program is named with the place it began (its "%", "&" or first character, as error
// messages count columns), a program that ends complete names nothing, and the report of
// one is a numbered error like any other.
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <csetjmp>
#include <string>

namespace vornmac {
namespace {

using testing::run_text;
using testing::TestHome;

std::string described(const testing::ProgramRun &run) {
    std::string out;
    for (const testing::OpenAtEnd &open : run.open_at_end)
        out += "[" + open.construct + "|" + open.closing + "|" + open.source_kind +
               open.source_name + ":" + std::to_string(open.line) + ":" +
               std::to_string(open.column) + "]";
    return out;
}

TEST(OpenConstructs, EachConstructThatSwallowsTheRestIsNamedWhereItBegan) {
    TestHome home;
    const struct {
        const char *program;
        const char *open;
    } cases[] = {
        {"a\n%do i = 1 %to 2; b", "[%do|%end|s_TEMP0:2:0]"},
        {"%do i = 1 3; x %end;", "[%do|%to|s_TEMP0:1:0]"},
        {"%do %while(1); x", "[%do|%end|s_TEMP0:1:0]"},
        {"a %if 1 %then %do; b", "[%do|%end|s_TEMP0:1:12][%if|;|s_TEMP0:1:2]"},
        {"%if 1 x; y", "[%if|%then|s_TEMP0:1:0]"},
        {"%macro m; body", "[%macro|%mend|s_TEMP0:1:0]"},
        {"a /* c", "[/*|*/|s_TEMP0:1:2]"},
        {"x\n  %upcase(abc", "[%upcase(|)|s_TEMP0:2:2]"},
        {"%let x = %upcase(abc", "[%upcase(|)|s_TEMP0:1:9][%let|;|s_TEMP0:1:0]"},
        {"%let x = 1", "[%let|;|s_TEMP0:1:0]"},
        {"\t%do i = 1 %to 2; b", "[%do|%end|s_TEMP0:1:1]"},
        {"a\tx %eval(1 + (2)", "[%eval(|)|s_TEMP0:1:4]"},
        {"%do %select(1); %case 1; a", "[%case|%end|s_TEMP0:1:16][%do|%end|s_TEMP0:1:0]"},
        // Text cut off by the end: a reference, a % word, a token, a chosen branch.
        {"Total: &undefined", "[&undefined||s_TEMP0:1:7]"},
        {"x %m", "[%m||s_TEMP0:1:2]"},
        {"AT&T", "[&T||s_TEMP0:1:2][AT||s_TEMP0:1:0]"},
        {"x %length(abc)", "[3||s_TEMP0:1:13]"},
        {"%if 1 %then x;", "[%if||s_TEMP0:1:0]"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(described(run_text(home, c.program)), c.open) << c.program;
}

TEST(OpenConstructs, TextOfAVariableIsNamedByItsVariable) {
    TestHome home;
    EXPECT_EQ(described(run_text(home, "Name: &full.", {{"full", "Dr &first"}})),
              "[&first||sfull:1:15]");
    EXPECT_EQ(described(run_text(home, "&company.", {{"company", "AT&T"}})),
              "[&T||scompany:1:11][AT||s_TEMP0:1:0]");
}

TEST(OpenConstructs, AProgramThatEndsCompleteLeavesNothingOpen) {
    TestHome home;
    for (const char *program :
         {"plain text", "%let x = 1;", "%put x;", "%if 0 %then x;", "%if 1 %then x;\nend",
          "%if 0 %then x; %else %do; y %end;", "%if 0 %then %if 1 %then p;", "%do; x %end;",
          "%do i = 1 %to 2; x %end;", "%do %while(0); %end;",
          "%do %select(1); %case 1; a %end; %end;", "%upcase(a) b", "/* c */", "%str(a) b",
          "%macro m; x %mend;", "%macro m; x %mend m;", "x &y.", "%let y = %eval(1+2);"})
        for (const char *ending : {"", "\n"}) {
            const std::string text = std::string(program) + ending;
            EXPECT_EQ(described(run_text(home, text, {{"y", "1"}})), "") << text;
        }
}

// The report is raised like every other error: the jump, the message and the log.
struct Reported {
    parser_context *ctx = nullptr;
    int jump = 0;
    jmp_buf mark;
};

void report_first(Reported &r) {
    switch (setjmp(r.mark)) {
    case 0:
        set_jmpmark(r.ctx, r.mark);
        break;
    default:
        r.jump = 1;
        return;
    }
    char first[200];
    start_parser_module(r.ctx, first);
    for (;;)
        call_gettoken(r.ctx);
}

void report_open(Reported &r) {
    switch (setjmp(r.mark)) {
    case 0:
        set_jmpmark(r.ctx, r.mark);
        break;
    default:
        r.jump = 2;
        return;
    }
    vornmac_report_open_construct(r.ctx, 0);
}

TEST(OpenConstructs, TheReportIsANumberedErrorWhereTheConstructBegan) {
    TestHome home;
    const std::string options = home.options_file();
    const std::string log = home.log_file();
    Reported r;
    r.ctx = init_parser(nullptr, 0, nullptr, "a\nb %do i = 1 %to 2; c\nd", home.dir().c_str(),
                        VORNMAC_OPTIONS_TAG, options.c_str(), VORNMAC_LOG_TAG, log.c_str());
    ASSERT_NE(r.ctx, nullptr);
    report_first(r);
    ASSERT_EQ(std::string(call_optstring(r.ctx, "_errormessage")).substr(0, 10), "ERROR #173");
    report_open(r);
    EXPECT_EQ(r.jump, 2);
    EXPECT_EQ(std::string(call_optstring(r.ctx, "_errormessage")),
              "ERROR #4680 : The input ended inside %do before its %end\n");
    vornmac_open_construct open{};
    ASSERT_EQ(vornmac_open_constructs(r.ctx, 0, &open), 1);
    EXPECT_EQ(open.line, 2);
    EXPECT_EQ(open.column, 2);
    finish_parser(r.ctx, 2);
    EXPECT_NE(home.read("test.log").find("ERROR #4680"), std::string::npos);
}

} // namespace
} // namespace vornmac
