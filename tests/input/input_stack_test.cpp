// The input stack: file lengths, line ends, nesting bounds, levels of resumed sources, the
// terminal, and the end of the input.
#include "host/parser_context.hpp"
#include "support/golden_both_ways.hpp"
#include "support/program_run.hpp"
#include "vornmac/vornmac.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace vornmac {
namespace {

using testing::joined;
using testing::ProgramRequest;
using testing::ProgramRun;
using testing::run_program;
using testing::TestHome;

ProgramRun run_file(TestHome &home, const std::string &bytes, testing::Options variables = {}) {
    home.write("prog.vm", bytes);
    const std::string file = home.path("prog.vm");
    ProgramRequest request;
    request.file = file.c_str();
    request.variables = std::move(variables);
    return run_program(home, request);
}

TEST(InputStack, TrailingJunkIsNotPartOfAFile) {
    TestHome home;
    const ProgramRun run = run_file(home, std::string("a b\n\x1a\0\0\xff", 8));
    EXPECT_EQ(joined(run.tokens), "a |b ");
    EXPECT_EQ(run.jumps.back().message, "ERROR #173 : input exhausted\n");
}

TEST(InputStack, RequestsAfterTheEndKeepRaising173) {
    TestHome home;
    parser_context *ctx = home.create(nullptr, "a b\n");
    char first[200];
    start_parser_module(ctx, first);
    auto &context = *static_cast<ParserContext *>(ctx);
    for (int i = 0; i < 5; ++i)
        call_gettoken(ctx);
    EXPECT_EQ(context.errors.last_number(), 173);
    EXPECT_EQ(context.input.top, -1);
    finish_parser(ctx, 2);
}

TEST(InputStack, CarriageReturnsBecomeLineFeeds) {
    TestHome home;
    // A pair becomes one line feed; a lone carriage return swallows the next character.
    const ProgramRun run = run_file(home, "a\r\nb\rXc d\n");
    EXPECT_EQ(joined(run.tokens), "a |b |c |d ");
}

TEST(InputStack, BottomSourceEndsWithOneExtraLineFeed) {
    TestHome home;
    ProgramRequest request;
    request.text = "a b";
    ProgramRun run = run_program(home, request);
    EXPECT_EQ(joined(run.tokens, "/"), "a /b ");
    // One token cannot fill the pair that starting a module needs: the host gets 100.
    request.text = "a";
    run = run_program(home, request);
    ASSERT_EQ(run.jumps.size(), 1u);
    EXPECT_EQ(run.jumps[0].value, 100);
}

TEST(InputStack, NestingBeyondSeventySixSourcesIsAnError) {
    TestHome home;
    testing::Options chain;
    for (int i = 1; i < 80; ++i)
        chain.emplace_back("x" + std::to_string(i), "&x" + std::to_string(i + 1) + ". ");
    chain.emplace_back("x80", "deep");
    const ProgramRun run = run_file(home, "&x1. after\n", chain);
    ASSERT_FALSE(run.jumps.empty());
    EXPECT_EQ(run.jumps[0].message.substr(0, 33), "ERROR #4604 : nesting too deep at");
    // The error unwinds to the program file, which goes on after the reference.
    EXPECT_EQ(joined(run.tokens), "| |after ");
}

TEST(InputStack, MainProgramRunsAtTheGlobalLevelInSlotZero) {
    TestHome home;
    home.write("prog.vm", "a b c\n");
    const std::string file = home.path("prog.vm");
    parser_context *ctx = home.create(file.c_str(), nullptr);
    ASSERT_NE(ctx, nullptr);
    auto &context = *static_cast<ParserContext *>(ctx);
    EXPECT_EQ(context.input.top, 0);
    EXPECT_EQ(context.vars.current_level, 0);
    EXPECT_EQ(context.input.slot(0)->level, 0);
    EXPECT_EQ(context.input.slot(0)->source_name, file);
    finish_parser(ctx, 2);
}

// The contracts the headers state are checked in the Debug and sanitizer builds.
TEST(InputStack, TakingMoreThanWasReadyBreaksItsContract) {
#ifdef VORNMAC_CHECK_CONTRACTS
    TestHome home;
    parser_context *ctx = home.create(nullptr, "abc\n");
    ASSERT_NE(ctx, nullptr);
    InputStack &in = static_cast<ParserContext *>(ctx)->input;
    const size_t ready = in.ready().size();
    ASSERT_GT(ready, 0u);
    EXPECT_DEATH(in.take(ready + 1), "contract broken at .*input_stack.hpp");
    in.take(ready);
    finish_parser(ctx, 2);
#else
    GTEST_SKIP() << "contracts are checked in the Debug and sanitizer builds";
#endif
}

TEST(InputStack, ResumedTextIsLookedUpAtTheLevelItWasPushedAt) {
    TestHome home;
    parser_context *ctx = home.create(nullptr, "main\n");
    ASSERT_NE(ctx, nullptr);
    auto &context = *static_cast<ParserContext *>(ctx);
    InputStack &in = context.input;
    // Deeper than the slot index: a lookup at the slot index would not find _TEMP2.
    context.vars.current_level = 5;
    in.reread_text(in.top, nullptr, 0, 1, 0, "xyz");
    in.read_char();
    EXPECT_EQ(in.ch, 'x');
    in.advance_offset();
    in.save();
    in.push_text("inner", "q", 0);
    std::string seen;
    for (int i = 0; i < 3; ++i) {
        in.read_char();
        seen += static_cast<char>(in.ch);
        in.advance_offset();
    }
    EXPECT_EQ(seen, "qyz");
    EXPECT_EQ(context.vars.current_level, 5);
    finish_parser(ctx, 2);
}

// A resumed variable text is found again through its slot: a slot that a later reference
// takes over must resume that reference's variable, not the one it held before.
TEST(InputStack, ResumedSlotFindsTheVariableItNowReads) {
    TestHome home;
    ProgramRequest request;
    request.text = "&x. &z. &x. end";
    request.variables = {{"x", "a &y. b "}, {"z", "c &y. d "}, {"y", "Y"}};
    const ProgramRun run = run_program(home, request);
    EXPECT_EQ(joined(run.tokens), "a |Y |b  |c |Y |d  |a |Y |b  |end ");
    EXPECT_EQ(run.jumps.size(), 1u); // the end of the input only
}

// A reference in a variable's text whose value is read in place must leave the reading
// where the pop after a pushed value leaves it: in the text that the variable now holds
// (x is replaced by 60 Q while it is read), at the same offset, as well as in a text that
// has not changed (z).
TEST(InputStack, ReferenceInAReplacedTextGoesOnInTheNewValue) {
    TestHome home;
    ProgramRequest request;
    request.text = "&x. &z. end\n";
    request.variables = {{"x", "%setstring x = 60 Q; a &y. b "}, {"y", "Y"}, {"z", "c &y. d "}};
    const auto [in_place, pushed] = testing::run_both_ways(
        &FastPaths::values_in_place, [&] { return joined(run_program(home, request).tokens); });
    EXPECT_EQ(in_place, pushed);
    EXPECT_EQ(pushed, "a |YQQQ |c |Y |d  |end ");
}

// A variable's text is read in place. Changed while it is read, it is read on as it
// stood, even when its old block is handed out again at once (the 40 Q of u take the
// block of x); a byte changed in place ahead of the reading is seen, as the reading is in
// the variable's own text.
TEST(InputStack, VariableTextIsReadInPlace) {
    TestHome home;
    ProgramRequest request;
    request.text = "&x. &y. &z. end\n";
    request.variables = {{"x", "%let x=; %setstring u = 40 Q; b c "},
                         {"y", "%setbyte y=18 Q; abc "},
                         {"z", "d %let z=zz; e "}};
    const ProgramRun run = run_program(home, request);
    EXPECT_EQ(joined(run.tokens), "b |c  |Qbc  |d |e  |end ");
}

TEST(InputStack, ResumingAVanishedFileRaises172) {
    TestHome home;
    parser_context *ctx = home.create(nullptr, "main\n");
    auto &context = *static_cast<ParserContext *>(ctx);
    InputSource gone;
    gone.source_name = home.path("gone.vm");
    gone.length = 10;
    context.input.install(1, std::move(gone));
    context.input.top = 1;
    context.input.resume();
    EXPECT_EQ(context.errors.last_number(), 172);
    EXPECT_EQ(context.input.top, 0); // the error trace unwound to the bottom source
    finish_parser(ctx, 2);
}

TEST(InputStack, MissingProgramFileIsErrorFourFiveOhFour) {
    TestHome home;
    parser_context *ctx = home.create(home.path("missing.vm").c_str(), nullptr);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(static_cast<ParserContext *>(ctx)->errors.last_number(), 4504);
    finish_parser(ctx, 2);
}

TEST(InputStack, ProgramFilesAreFoundWithPathAndExtension) {
    TestHome home;
    home.write("found.vm", "x y\n");
    std::vector<const char *> names{"_errorfile", "_pathprg", "_prgextend"};
    const std::string dir = home.dir();
    std::vector<const char *> values{"test.msg", dir.c_str(), "vm"};
    const std::string options = home.options_file();
    ASSERT_EQ(vornmac_write_variable_file(options.c_str(), 3, names.data(), values.data()), 0);
    ProgramRequest request;
    request.file = "found";
    EXPECT_EQ(joined(run_program(home, request).tokens), "x |y ");
}

// A pipe cannot be read again from its start: its text is kept, then run like a file.
TEST(InputStack, ProgramFileFromAPipeRuns) {
    TestHome home;
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const std::string text = "from a pipe\n";
    ASSERT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(ends[1]);
    const std::string name = "/dev/fd/" + std::to_string(ends[0]);
    ProgramRequest request;
    request.file = name.c_str();
    const ProgramRun run = run_program(home, request);
    close(ends[0]);
    EXPECT_EQ(joined(run.tokens), "from |a |pipe ");
}

// Offsets of program sources are 32-bit: a larger file is refused, never run as empty.
TEST(InputStack, ProgramFileOfTwoGibibytesIsRefused) {
    TestHome home;
    home.write("big.vm", "a b\n");
    const std::string file = home.path("big.vm");
    ASSERT_EQ(truncate(file.c_str(), int64_t{1} << 31), 0);
    parser_context *ctx = home.create(file.c_str(), nullptr);
    ASSERT_NE(ctx, nullptr);
    EXPECT_STREQ(call_optstring(ctx, "_errormessage"),
                 ("ERROR #4610 : program file " + file + " too large\n").c_str());
    EXPECT_EQ(static_cast<ParserContext *>(ctx)->input.top, -1);
    finish_parser(ctx, 2);
}

// Lines typed at the terminal are read one at a time, logged as typed, and stored as
// _TEMP variables.
TEST(InputStack, TerminalLinesAreReadFromStandardInput) {
    TestHome home;
    const ProgramRun run = testing::run_terminal_program(home, "one two\nthree\n");
    EXPECT_EQ(joined(run.tokens), "one |two |three ");
    EXPECT_NE(run.log.find("one two\n"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("three\n"), std::string::npos) << run.log;
}

} // namespace
} // namespace vornmac
