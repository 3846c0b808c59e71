// %convertall: the generated loop, read back token by token as the scanner delivers it.
#include "func/convert_all.hpp"

#include "error/recovery_jump.hpp"
#include "func/system_test_home.hpp"

#include <gtest/gtest.h>

namespace vornmac {
namespace {

using Tokens = std::vector<std::string>;

// Runs the handler on the argument list at the start of `text`, then reads the generated
// text with the triggers off, so that its % words come back as plain tokens.
Tokens tokens_after_convertall(const std::string &text, const std::string &stop) {
    testing::SystemHome home;
    const testing::OpenContext ctx(home.create(nullptr, text.c_str()));
    ParserContext &context = testing::context_of(ctx);
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

// The whole generated text is checked token by token below.
TEST(ConvertAll, GeneratesTheLoopWithSlashBetweenDirectoryAndName) {
    EXPECT_NE(conversion_loop_text({"data\\in\\*.dbf", "dbf", "out", "txt"}).find("in=^data\\in/&"),
              std::string::npos);
    // The directory part: up to the last separator of either kind; none, nothing cut.
    EXPECT_NE(conversion_loop_text({"a/b\\", "x", "o", "y"}).find("in=^a/b/&"), std::string::npos);
    EXPECT_NE(conversion_loop_text({"*.dbf", "x", "o", "y"}).find("in=^*.dbf/&"),
              std::string::npos);
}

// The tokens are joined with "~", which the generated text never holds.
TEST(ConvertAll, PushesTheGeneratedStepsAheadOfTheRestOfTheProgram) {
    EXPECT_EQ(testing::joined(tokens_after_convertall(
                                  "(data\\*.dbf, dbf, c:%str(%(x%)), txt); after", "after\n"),
                              "~"),
              "%~let ~_directory_list ~= ~%~dirlist~(~data~\\~*~.~dbf~,~|~,~1~)~;~"
              "%~do ~_dir_num ~= ~1 ~%~to ~%~indexvarcount~(~_directory_list~)~;~"
              "%~let ~_dir_dbs ~= ~%~scanvar~(~_directory_list~,~&~_dir_num~,~|~)~;\n~"
              "compute~;\n~in~=~^~data~/~&~_dir_dbs~.~.~dbf~^\n~    ~"
              "out~=~^~c~:~(~x~)~/~&~_dir_dbs~.~.~txt~^~;\n~run~;\n~%~end~;\n~; ~after\n");
}

// Two arguments and a missing ")" are covered by tests/programs/sysfunc/errors.
TEST(ConvertAll, ReportsMissingArgumentsAndParentheses) {
    testing::SystemHome home;
    EXPECT_EQ(home.first_error("a %convertall(x\\*.dbf, dbf, out); z\n"),
              "ERROR #3055 : Too few arguments: insufficent number of parameters on %convertall\n");
    EXPECT_EQ(home.first_error("a %convertall x; z\n"),
              "ERROR #2010 : Convertall must be followed by ( but found: x\n");
}

} // namespace
} // namespace vornmac
