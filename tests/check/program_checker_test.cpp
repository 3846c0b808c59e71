// The checker finds each kind of mistake where it starts (line and column as run messages
// count them), in open code, inside macro bodies and inside loop bodies, and stays silent
// on programs that run without errors.
#include "check/program_checker.hpp"

#include <gtest/gtest.h>
#include <pthread.h>

#include <string>
#include <vector>

namespace {

using namespace vornmac::check;

std::vector<std::string> findings_of(const std::vector<std::string> &texts,
                                     CheckSettings settings = {}) {
    ProgramChecker checker(std::move(settings));
    for (size_t i = 0; i < texts.size(); ++i)
        checker.check("f" + std::to_string(i + 1) + ".vm", texts[i]);
    std::vector<std::string> lines;
    for (const Finding &f : checker.finish())
        lines.push_back(f.file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) +
                        ": " + (f.severity == Severity::error ? "error" : "warning") + " [" +
                        f.name + "]");
    return lines;
}

std::vector<std::string> findings_of(const std::string &text, CheckSettings settings = {}) {
    return findings_of(std::vector<std::string>{text}, std::move(settings));
}

using Lines = std::vector<std::string>;

TEST(ProgramChecker, SilentOnProgramsThatRunWell) {
    EXPECT_EQ(
        findings_of("%let n = 3;\n"
                    "%if &n > 2 %then %let size = big; %else %let size = small;\n"
                    "%if 1 %then %if 0 %then p; %else q;\n"
                    "%do i = 1 %to 3 %by 1;\nline &i.\n%end;\n"
                    "%do %while(&n < 3);\n%let n = %eval(&n + 1);\n%end;\n"
                    "%do %select(&n);\n%case 1, 2; low\n%end;\n%otherwise; high\n%end;\n%end;\n"
                    "%macro greet[name, greeting=Hello];\n&greeting, &name..\n%mend greet;\n"
                    "%greet[World, greeting=Hi]\n%* a comment, 50% off;\n"
                    "100 % sure, %(not a call%) and 50%%off /* 50% off */\n"
                    "%if 1 %then f(a;b);\n%put done;\n"),
        Lines{});
}

TEST(ProgramChecker, StructureAtTheStatementThatOpensOrStraysFrom) {
    EXPECT_EQ(findings_of("a\n  %do;\nb\n"), Lines{"f1.vm:2:2: error [unclosed-do]"});
    EXPECT_EQ(findings_of("x %end;\n"), Lines{"f1.vm:1:2: error [stray-end]"});
    EXPECT_EQ(findings_of("%let a = 1;\n %else b;\n"), Lines{"f1.vm:2:1: error [stray-else]"});
    EXPECT_EQ(findings_of("%if 1 yes; no\n"), Lines{"f1.vm:1:0: error [if-without-then]"});
    EXPECT_EQ(findings_of("t\n%macro m; body\n"), Lines{"f1.vm:2:0: error [unclosed-macro]"});
    EXPECT_EQ(findings_of("%macro m; body %mend n;\n"), Lines{"f1.vm:1:21: error [mend-name]"});
    EXPECT_EQ(findings_of("%do %select(a);\n%let x = 1;\n%end;\n"),
              Lines{"f1.vm:2:0: error [select-branch]"});
    EXPECT_EQ(findings_of("%do %select(a);\n  %case a; A %end;\n%end;\n"),
              Lines{"f1.vm:2:0: error [select-branch]"});
}

TEST(ProgramChecker, StructureInsideMacroAndLoopBodies) {
    EXPECT_EQ(findings_of("%macro m;\n  %do; a\n%mend;\n"),
              Lines{"f1.vm:2:2: error [unclosed-do]"});
    EXPECT_EQ(findings_of("%do i = 1 %to 2;\n  %if &i %then x;\n  %else y;\n%end;\n"),
              Lines{"f1.vm:3:2: error [stray-else]"});
    // Copiers join a `%` and the word after it, white space up to a first line feed dropped:
    // in a body "% mend" ends the definition and "% do" is %do; in a loop "% end" is %end.
    EXPECT_EQ(findings_of("%macro m; 5 %\tmend;\n%macro n; %\r\nmend n;\n"
                          "%macro o;\n  % macro p; %mend; % do; a %end; %  mend;\n"
                          "%do i = 1 % to 2; a % end;\n%do %select(1); % case 1; b %end; %end;\n"),
              Lines{});
    EXPECT_EQ(findings_of("%macro m; %do i = 1 %to 2; % mend;\n%macro n; %\n\nmend;\n"),
              (Lines{"f1.vm:1:10: error [unclosed-do]", "f1.vm:2:0: error [unclosed-macro]"}));
    // %if takes only a lone `%` for its %else; a loop's copy has joined them before.
    EXPECT_EQ(findings_of("%if 1 %then a; % else b;\n%do i = 1 %to 2; %if 1 %then a; % else b; "
                          "%end;\n"),
              Lines{});
}

TEST(ProgramChecker, TextMistakes) {
    EXPECT_EQ(findings_of("a /* closed */ b\n%do; c /*/ never closed\n"),
              (Lines{"f1.vm:2:0: error [unclosed-do]", "f1.vm:2:7: error [unclosed-comment]"}));
    EXPECT_EQ(findings_of("x %eval(1 + (2)\n"), Lines{"f1.vm:1:2: error [unbalanced-parens]"});
    EXPECT_EQ(findings_of("x %length abc\ny\n"),
              Lines{"f1.vm:1:2: error [function-without-paren]"});
    EXPECT_EQ(findings_of("%if (1 %then a;\nb\n"), Lines{"f1.vm:1:0: error [unbalanced-parens]"});
}

TEST(ProgramChecker, MacroCallsAndArguments) {
    EXPECT_EQ(findings_of("Save 50%off today.\n"), Lines{"f1.vm:1:7: error [unknown-macro]"});
    EXPECT_EQ(
        findings_of(std::vector<std::string>{"%macro m[a, b=1]; &a&b %mend;\n",
                                             "%m[x, y]\n%m[x, c=2]\n%m[x, b=2]\n"}),
        (Lines{"f2.vm:1:6: error [too-many-arguments]", "f2.vm:2:6: error [unknown-argument]"}));
    CheckSettings settings;
    settings.library_macros.push_back({"greet", 1, {}});
    EXPECT_EQ(findings_of("%greet[a] %GREET[b]\n", settings), Lines{});
    // A body may call a macro defined after it: the body runs only when it is called.
    EXPECT_EQ(findings_of("%macro a; %b %c %mend;\n%macro b; %mend;\nx\n"),
              Lines{"f1.vm:1:13: error [unknown-macro]"});
}

TEST(ProgramChecker, Pitfalls) {
    EXPECT_EQ(findings_of("%if 1\n  %then yes;\nz\n"),
              Lines{"f1.vm:2:0: error [indented-continuation]"});
    EXPECT_EQ(findings_of("%do i = 1\n  %to 2; a %end;\nz\n"),
              Lines{"f1.vm:2:0: error [indented-continuation]"});
    EXPECT_EQ(findings_of("%let last = end;\ntext, then &last\n"),
              Lines{"f1.vm:2:11: warning [dropped-at-end]"});
    EXPECT_EQ(findings_of("text %m"), Lines{"f1.vm:1:5: warning [dropped-at-end]"});
    EXPECT_EQ(findings_of("a\n%if 1 %then yes;\n"), Lines{"f1.vm:2:0: warning [dropped-at-end]"});
    EXPECT_EQ(findings_of("%do i = 1 %to 1;\n 50% off %end;\n"),
              Lines{"f1.vm:2:3: warning [percent-joins-word]"});
    EXPECT_EQ(findings_of("%if 1 %then 50% off;\nz\n"),
              Lines{"f1.vm:1:14: warning [percent-joins-word]"});
}

TEST(ProgramChecker, UndefinedVariablesOnlyWhenAsked) {
    const std::string text = "%let a = 1;\n&a &b. &argv1 &_upper &c\n%macro m[p]; &p %mend;\n"
                             "%do i = 1 %to 2; &&argv&i. &&a %end;\n";
    EXPECT_EQ(findings_of(text), Lines{});
    CheckSettings settings;
    settings.report_undefined = true;
    settings.known_variables = {"C"};
    EXPECT_EQ(findings_of(text, settings), Lines{"f1.vm:2:3: warning [undefined-variable]"});
}

// Blocks are kept on a stack of the checker's own: nesting as deep as the text allows is
// checked in a 256 KiB thread stack.
TEST(ProgramChecker, DeepNestingRunsInASmallStack) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "%if 1 %then %do; %eval(( %m[";
    struct Run {
        std::string text;
        size_t findings = 0;
    } run{text};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void *given) -> void * {
                      auto &run = *static_cast<Run *>(given);
                      CheckSettings settings;
                      settings.library_macros.push_back({"m", 1, {}});
                      ProgramChecker checker(std::move(settings));
                      checker.check("deep.vm", run.text);
                      run.findings = checker.finish().size();
                      return nullptr;
                  },
                  &run),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(run.findings, 20000u * 4);
}

} // namespace
