// %macro statements run as whole programs; the records they leave in the definition file
// are read back field by field.
#include "host/parser_context.hpp"
#include "macro/library_format.hpp"
#include "macro/macro_library.hpp"
#include "platform/raw_file.hpp"
#include "support/program_run.hpp"
#include "support/test_home.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vornmac {
namespace {

using namespace std::string_literals;
using testing::ProgramRun;
using testing::TestHome;

struct StoredMacro {
    maclib::MacroRecord record;
    std::string body;
};

class MacroDefinitionTest : public ::testing::Test {
  protected:
    ProgramRun run(const char *text) {
        return testing::run_text(home, text, {{"_macromacro", home.path("defs")}, {"v", "V"}});
    }

    // The definition file's records, newest first, with their bodies.
    std::vector<StoredMacro> stored() const {
        ParserContext context{home.dir().c_str(), 0, {"p"}};
        context.vars.save(0, "_macromacro", home.path("defs").c_str());
        std::vector<StoredMacro> result;
        if (!context.macros.open_definition_file()) return result;
        const maclib::LibraryFile file(context.macros.definition_handle());
        context.macros.for_each_definition([&](const maclib::MacroRecord &record) {
            std::string body(record.header.body_length, '\0');
            file.read_at(static_cast<int32_t>(record.header.body_offset), body.data(),
                         record.header.body_length);
            result.push_back({record, body});
            return true;
        });
        return result;
    }

    TestHome home;
};

TEST_F(MacroDefinitionTest, LabelParametersAndBodyAreStoredAsRead) {
    run("%macro m(Totals per region)[a,b,c=1,d=]; text &a %mend m; x y");
    const std::vector<StoredMacro> macros = stored();
    ASSERT_EQ(macros.size(), 1u);
    const maclib::MacroRecord &r = macros[0].record;
    EXPECT_EQ(r.name, "m");
    EXPECT_EQ(r.label, "Totals per region");
    EXPECT_EQ(r.header.positional_count, 2);
    EXPECT_EQ(r.header.named_count, 2);
    EXPECT_EQ(r.header.longest_default, 1);
    ASSERT_EQ(r.parameters.size(), 4u);
    EXPECT_EQ(r.parameters[1].name, "b");
    EXPECT_EQ(r.parameters[2].name, "c");
    EXPECT_EQ(r.parameters[2].default_text, "1");
    EXPECT_TRUE(r.parameters[3].named);
    EXPECT_EQ(r.parameters[3].default_text, "");
    EXPECT_EQ(macros[0].body, "; text &a \x01\x01\x01\x02"s);
}

TEST_F(MacroDefinitionTest, BlankBeforeParenthesisMakesItBodyText) {
    run("%macro m (x); %mend; x y");
    const std::vector<StoredMacro> macros = stored();
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(macros[0].record.label, "");
    EXPECT_EQ(macros[0].body, "(x); \x01\x01\x01\x02"s);
}

TEST_F(MacroDefinitionTest, NestedKeywordsAreLowerCaseAndKeepTheWhiteSpaceAfterThem) {
    run("%macro outer; %MACRO inner;\n%let v = 1; %MEND  inner; 'it''s' %Mend OUTER; x y");
    const std::vector<StoredMacro> macros = stored();
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(macros[0].record.name, "outer");
    EXPECT_EQ(macros[0].body,
              "; %macro inner;\n%let v = 1; %mend  inner; 'it''s' \x01\x01\x01\x02"s);
}

TEST_F(MacroDefinitionTest, RedefinitionReplacesTheOldRecord) {
    run("%macro m; one %mend; %macro M; two %mend; x y");
    const std::vector<StoredMacro> macros = stored();
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(macros[0].record.name, "M");
    EXPECT_EQ(macros[0].body, "; two \x01\x01\x01\x02"s);
}

TEST_F(MacroDefinitionTest, FailedDefinitionIsNotStoredAndItsRestIsReadAsProgramText) {
    const ProgramRun result = run("%macro m[a=1,b]; &x %mend; &v 'q' &v 'v&v' z");
    EXPECT_TRUE(stored().empty());
    // 2001 at the "]"; then "&x" is undefined (2021) and "%mend" calls no macro (2009).
    ASSERT_GE(result.jumps.size(), 3u);
    EXPECT_NE(result.jumps[0].message.find("2001"), std::string::npos);
    EXPECT_NE(result.jumps[1].message.find("2021"), std::string::npos);
    EXPECT_NE(result.jumps[2].message.find("2009"), std::string::npos);
    // Triggers are on and apostrophes open quotes again from the token after the error.
    EXPECT_EQ(testing::joined(result.tokens, ""), "; ; V 'q' V 'v&v' z ");
}

} // namespace
} // namespace vornmac
