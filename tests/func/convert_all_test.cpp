// %convertall: the generated loop, read back token by token as the scanner delivers it.
#include "func/convert_all.hpp"

#include "error/recovery_jump.hpp"
#include "func/system_test_home.hpp"
#include "host/parser_context.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace vornmac {
namespace {

using Tokens = std::vector<std::string>;

struct ContextCloser {
    void operator()(parser_context *ctx) const { finish_parser(ctx, 2); }
};

// Runs the handler on the argument list at the start of `text`, then reads the generated
// text with the triggers off, so that its % words come back as plain tokens.
Tokens tokens_after_convertall(const std::string &text, const std::string &stop) {
    testing::SystemHome home;
    const std::unique_ptr<parser_context, ContextCloser> ctx(home.create(nullptr, text.c_str()));
    ParserContext &context = *static_cast<ParserContext *>(ctx.get());
    convertall_statement(context, 0);
    context.scanner.triggers_active = false;
    Tokens tokens;
    try {
        while (tokens.empty() || tokens.back() != stop) {
            context.scanner.scan_token(0, 0);
            tokens.emplace_back(context.scanner.next_token_text);
        }
    } catch (const InputExhausted &) {
    }
    return tokens;
}

TEST(ConvertAll, GeneratesTheLoopWithSlashBetweenDirectoryAndName) {
    EXPECT_EQ(conversion_loop_text({"data\\in\\*.dbf", "dbf", "out", "txt"}),
              "%let _directory_list = %dirlist(data\\in\\*.dbf,|,1);"
              "%do _dir_num = 1 %to %indexvarcount(_directory_list);"
              "%let _dir_dbs = %scanvar(_directory_list,&_dir_num,|);\n"
              "compute;\n"
              "in=^data\\in/&_dir_dbs..dbf^\n"
              "    out=^out/&_dir_dbs..txt^;\n"
              "run;\n"
              "%end;\n");
    // The directory part: up to the last separator of either kind; none, nothing cut.
    EXPECT_NE(conversion_loop_text({"a/b\\", "x", "o", "y"}).find("in=^a/b/&"), std::string::npos);
    EXPECT_NE(conversion_loop_text({"*.dbf", "x", "o", "y"}).find("in=^*.dbf/&"),
              std::string::npos);
}

TEST(ConvertAll, PushesTheGeneratedStepsAheadOfTheRestOfTheProgram) {
    const Tokens expected = {"%",
                             "let ",
                             "_directory_list ",
                             "= ",
                             "%",
                             "dirlist",
                             "(",
                             "data",
                             "\\",
                             "*",
                             ".",
                             "dbf",
                             ",",
                             "|",
                             ",",
                             "1",
                             ")",
                             ";",
                             "%",
                             "do ",
                             "_dir_num ",
                             "= ",
                             "1 ",
                             "%",
                             "to ",
                             "%",
                             "indexvarcount",
                             "(",
                             "_directory_list",
                             ")",
                             ";",
                             "%",
                             "let ",
                             "_dir_dbs ",
                             "= ",
                             "%",
                             "scanvar",
                             "(",
                             "_directory_list",
                             ",",
                             "&",
                             "_dir_num",
                             ",",
                             "|",
                             ")",
                             ";\n",
                             "compute",
                             ";\n",
                             "in",
                             "=",
                             "^",
                             "data",
                             "/",
                             "&",
                             "_dir_dbs",
                             ".",
                             ".",
                             "dbf",
                             "^\n",
                             "    ",
                             "out",
                             "=",
                             "^",
                             "c",
                             ":",
                             "(",
                             "x",
                             ")",
                             "/",
                             "&",
                             "_dir_dbs",
                             ".",
                             ".",
                             "txt",
                             "^",
                             ";\n",
                             "run",
                             ";\n",
                             "%",
                             "end",
                             ";\n",
                             "; ",
                             "after\n"};
    EXPECT_EQ(tokens_after_convertall("(data\\*.dbf, dbf, c:%str(%(x%)), txt); after", "after\n"),
              expected);
}

TEST(ConvertAll, ReportsMissingArgumentsAndParentheses) {
    testing::SystemHome home;
    const std::string too_few =
        "ERROR #3055 : Too few arguments: insufficent number of parameters on %convertall\n";
    EXPECT_EQ(home.run("a %convertall(x\\*.dbf); z\n").jumps.front().message, too_few);
    EXPECT_EQ(home.run("a %convertall(x\\*.dbf, dbf); z\n").jumps.front().message, too_few);
    EXPECT_EQ(home.run("a %convertall(x\\*.dbf, dbf, out); z\n").jumps.front().message, too_few);
    EXPECT_EQ(home.run("a %convertall x; z\n").jumps.front().message,
              "ERROR #2010 : Convertall must be followed by ( but found: x\n");
    EXPECT_EQ(home.run("a %convertall(p, i, o, t u); z\n").jumps.front().message,
              "ERROR #2011 : Convertall: missing parenthesis before: u\n");
}

} // namespace
} // namespace vornmac
