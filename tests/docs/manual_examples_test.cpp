// The manual's example reader: how blocks tie into examples, and the broken manuals it
// must refuse (each refusal is what keeps an example from silently not running).
#include "docs/example_run.hpp"
#include "docs/manual_examples.hpp"

#include <gtest/gtest.h>

using vornmac::docs::parse_manual;
using vornmac::docs::shown_line_ends;
using vornmac::docs::shown_log;

namespace {

TEST(ManualExamples, ProgramWithFilesInputAndResultsBecomesOneExample) {
    const auto parse = parse_manual("Intro\n"
                                    "```file part.vm\nx\n```\n"
                                    "```stdin\nline one\n```\n"
                                    "```vornmac GREETING=hi -D a=1 --tokens -- one two\n"
                                    "%include part;\n```\n"
                                    "text between\n"
                                    "```output\nx\n\n```\n"
                                    "```written out.txt\nsaved\n```\n"
                                    "```log\nhi\n```\n");
    ASSERT_TRUE(parse.problems.empty()) << parse.problems[0];
    ASSERT_EQ(parse.examples.size(), 1u);
    const auto &example = parse.examples[0];
    EXPECT_EQ(example.line, 8);
    EXPECT_EQ(example.program, "%include part;\n");
    EXPECT_EQ(example.environment, std::vector<std::string>{"GREETING=hi"});
    EXPECT_EQ(example.options, (std::vector<std::string>{"-D", "a=1", "--tokens"}));
    EXPECT_EQ(example.arguments, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(example.files.at("part.vm"), "x\n");
    EXPECT_EQ(example.standard_input, "line one\n");
    EXPECT_EQ(example.expected_output, "x\n\n");
    EXPECT_EQ(example.expected_files.at("out.txt"), "saved\n");
    EXPECT_TRUE(example.checks_log);
    EXPECT_EQ(example.expected_log, "hi\n");
}

TEST(ManualExamples, FilesGoOnlyToTheNextProgramAndOtherBlocksAreNotRun) {
    const auto parse = parse_manual("```file a\n1\n```\n```vornmac\nA\n```\n```output\n```\n"
                                    "```text\nnot run\n```\n"
                                    "````vornmac\n```\n````\n```output\n```\n");
    ASSERT_TRUE(parse.problems.empty()) << parse.problems[0];
    ASSERT_EQ(parse.examples.size(), 2u);
    EXPECT_EQ(parse.examples[0].files.size(), 1u);
    EXPECT_TRUE(parse.examples[1].files.empty());
    EXPECT_EQ(parse.examples[1].program, "```\n") << "a longer fence holds a shorter one";
    EXPECT_EQ(parse.examples[0].expected_output, "");
}

TEST(ManualExamples, AScriptIsAProgramOfItsOwnKind) {
    const auto parse = parse_manual("```file Makefile\nall:\n```\n```script\nmake\n```\n"
                                    "```output\ndone\n```\n```written out.txt\nx\n```\n");
    ASSERT_TRUE(parse.problems.empty()) << parse.problems[0];
    ASSERT_EQ(parse.examples.size(), 1u);
    EXPECT_TRUE(parse.examples[0].script);
    EXPECT_EQ(parse.examples[0].program, "make\n");
    EXPECT_EQ(parse.examples[0].files.at("Makefile"), "all:\n");
    EXPECT_EQ(parse.examples[0].expected_files.at("out.txt"), "x\n");
    EXPECT_EQ(parse_manual("```script -x\n```\n```output\n```\n").problems[0],
              "1: \"script\" takes no words");
}

TEST(ManualExamples, BrokenManualsAreReportedByLine) {
    struct Case {
        const char *markdown;
        const char *problem;
    };
    const Case cases[] = {
        {"```vornmac\nA\n```\n", "1: program block has no output block after it"},
        {"```vornmac\nA\n```\n```text\n```\n```output\n```\n",
         "1: program block has no output block after it"},
        {"```output\n```\n", "1: output block follows no program block"},
        {"```vornmac\n```\n```output\n```\n```vornmac\n```\n```written x\n```\n```output\n```\n",
         "5: program block has no output block after it"},
        {"x\n```file a\n```\n", "2: file or stdin block is followed by no program block"},
        {"```log\n```\n", "1: \"log\" block does not follow an output block"},
        {"```file\n```\n```vornmac\n```\n```output\n```\n",
         "1: \"file\" needs exactly one file name"},
        {"```vornmac\nA\n", "1: fenced block is never closed"},
        {"text only\n```text\nnot run\n```\n", "1: the document holds no example"},
    };
    for (const Case &c : cases) {
        const auto parse = parse_manual(c.markdown);
        ASSERT_FALSE(parse.problems.empty()) << c.markdown;
        EXPECT_EQ(parse.problems[0], c.problem) << c.markdown;
    }
}

TEST(ManualExamples, LogIsShownWithoutStartTracesAndWithLineFeedsOnly) {
    const std::string dashes(61, '-');
    const std::string log = dashes + "\r\n*** Input From  a.vm   At Line=1  Sun Dec  6 2026\r\n" +
                            "  *** Called From x\r\nput line\r\n\r\n*** Error in a.vm   \r\n" +
                            dashes + "\r\n*** Input From  b.vm   At Line=1  date\r\nlast\r\n";
    EXPECT_EQ(shown_log(log), "put line\n\n*** Error in a.vm   \nlast\n");
    EXPECT_EQ(shown_line_ends("a\r\nb\rc\r"), "a\nb\rc\r") << "only CR LF pairs change";
}

} // namespace
