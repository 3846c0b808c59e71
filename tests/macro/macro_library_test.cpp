#include "host/parser_context.hpp"
#include "macro/library_bytes.hpp"
#include "macro/macro_library.hpp"
#include "support/test_home.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

using namespace std::string_literals;
using testing::LibraryBytes;

constexpr double stamp = 2000.0 * 1440 + 14 * 60 + 5;

maclib::MacroDefinition definition(const std::string &name, const std::string &body_text,
                                   std::vector<maclib::MacroParameter> parameters = {},
                                   const std::string &label = "") {
    maclib::MacroDefinition d;
    d.name = name;
    d.label = label;
    d.parameters = std::move(parameters);
    d.body = body_text + std::string(maclib::macro_end_marker);
    return d;
}

class MacroLibraryTest : public ::testing::Test {
  protected:
    MacroLibraryTest() {
        context.vars.save(0, "_macromacro", home.path("defs").c_str());
        library.clock = [] { return stamp; };
    }
    std::string file() const { return home.read("defs.mac"); }
    int16_t last_error() const { return context.errors.last_number(); }

    testing::TestHome home;
    ParserContext context{home.dir().c_str(), 0, {"p"}};
    MacroLibrary &library = context.macros;
};

TEST(LibraryFileName, MacIsAddedOnlyWithoutAnExtension) {
    EXPECT_EQ(with_library_extension("lib"), "lib.mac");
    EXPECT_EQ(with_library_extension("lib.old"), "lib.old");
    EXPECT_EQ(with_library_extension("..\\x.y\\lib"), "..\\x.y\\lib.mac");
    EXPECT_EQ(with_library_extension("../x.y/lib"), "../x.y/lib.mac");
    EXPECT_EQ(with_library_extension(".profile"), ".profile.mac"); // the first character
    EXPECT_EQ(with_library_extension("a."), "a.");
}

TEST_F(MacroLibraryTest, NewFileGetsTheEmptyHeader) {
    ASSERT_TRUE(library.open_definition_file());
    EXPECT_EQ(file(), LibraryBytes().header(0, 0, 16).bytes);
    EXPECT_EQ(library.current_handle, library.definition_handle());
}

TEST_F(MacroLibraryTest, RecordIsWrittenByteForByte) {
    ASSERT_TRUE(library.open_definition_file());
    ASSERT_TRUE(library.store_macro(definition(
        "sums", "; x", {{"a", "", false}, {"b", "12", true}, {"c", "", true}}, "Totals")));
    // 34 + 5 + 7 + (1+3) + (1+3 + 2+3) + (1+3 + 0+3) + 7 + 1 = 74
    LibraryBytes expected;
    expected.header(16, 0, 16 + 74);
    expected.u32(0).f64(stamp).u16(74).u16(4).u16(6).u16(1).u16(2).u16(2).u16(7);
    expected.u32(16 + 66).u32(16 + 73);
    expected.text("sums").text("Totals");
    expected.u16(1).text("a").u16(1).text("b").u16(2).text("12").u16(1).text("c").u16(0).text("");
    expected.raw("; x\x01\x01\x01\x02");
    EXPECT_EQ(file(), expected.bytes);
}

TEST_F(MacroLibraryTest, RedefinitionReusesTheFreedRecordAndSplitsOnlyLargeRemainders) {
    ASSERT_TRUE(library.open_definition_file());
    const std::string long_body(100, 'x');
    ASSERT_TRUE(library.store_macro(definition("big", long_body)));
    const uint32_t big = LibraryBytes::record_size("big", long_body); // 144
    ASSERT_TRUE(library.delete_macro("BIG"));
    EXPECT_EQ(file().substr(0, 16), LibraryBytes().header(0, 16, 16 + big).bytes);
    EXPECT_EQ(file().substr(16, 6), LibraryBytes().u32(0).u16(big).bytes);

    // 42 bytes taken, 102 left: a free block of its own.
    ASSERT_TRUE(library.store_macro(definition("a", "")));
    const uint32_t small = LibraryBytes::record_size("a", "");
    EXPECT_EQ(file().substr(0, 16), LibraryBytes().header(16, 16 + small, 16 + big).bytes);
    EXPECT_EQ(file().substr(16 + small, 6), LibraryBytes().u32(0).u16(big - small).bytes);

    // A 52-byte record leaves 50, below 55: the whole block goes to the record.
    ASSERT_TRUE(library.store_macro(definition("b", std::string(10, 'y'))));
    EXPECT_EQ(file().substr(0, 16), LibraryBytes().header(16 + small, 0, 16 + big).bytes);
}

TEST_F(MacroLibraryTest, RecordTooLargeIsRefusedAndNothingIsWritten) {
    ASSERT_TRUE(library.open_definition_file());
    EXPECT_FALSE(library.store_macro(definition("m", std::string(32767, 'x'))));
    EXPECT_EQ(last_error(), 4651);
    EXPECT_EQ(file(), LibraryBytes().header(0, 0, 16).bytes);
}

TEST_F(MacroLibraryTest, DeleteTakesTheNewestOfTheNameAndIgnoresMissingNames) {
    // Two records of one name, as another installation may leave them, and a third.
    LibraryBytes lib;
    lib.header(16 + 90, 0, 16 + 90 + LibraryBytes::record_size("z", ""));
    lib.record(16, 0, "m", "old").raw("\0"s).record(61, 16, "m", "new").raw("\0"s);
    lib.record(106, 61, "z", "");
    home.write("defs.mac", lib.bytes);
    ASSERT_TRUE(library.open_definition_file());
    ASSERT_TRUE(library.delete_macro("nothing"));
    EXPECT_EQ(file(), lib.bytes);
    ASSERT_TRUE(library.delete_macro("m"));
    std::vector<std::string> left;
    ASSERT_TRUE(library.for_each_definition([&](const maclib::MacroRecord &r) {
        left.push_back(r.name + "@" + std::to_string(r.offset));
        return true;
    }));
    EXPECT_EQ(left, (std::vector<std::string>{"z@106", "m@16"}));
}

TEST_F(MacroLibraryTest, EmptyMacromacroAndForeignFilesAreRefused) {
    context.vars.save(0, "_macromacro", "");
    EXPECT_FALSE(library.open_definition_file());
    EXPECT_EQ(last_error(), 2005);
    home.write("other.mac", "not a library at all");
    context.vars.save(0, "_macromacro", home.path("other").c_str());
    EXPECT_FALSE(library.open_definition_file());
    EXPECT_EQ(last_error(), 2007);
    context.vars.save(0, "_macromacro", home.path("no/such/dir/x").c_str());
    EXPECT_FALSE(library.open_definition_file());
    EXPECT_EQ(last_error(), 2006);
}

// Each damaged file is refused with error 4650 and left exactly as it was.
TEST_F(MacroLibraryTest, DamagedDefinitionFilesAreRefusedUnchanged) {
    const std::string rec = LibraryBytes().record(16, 0, "m", "x").bytes;
    const std::string sound_with_tail =
        LibraryBytes().header(16, 0, 16 + LibraryBytes::record_size("m", "x")).bytes + rec +
        "\0tail"s;
    const uint32_t size = LibraryBytes::record_size("m", "x");
    std::vector<std::string> damaged = {
        LibraryBytes().header(0, 0, 16).bytes.substr(0, 10),               // truncated header
        LibraryBytes().header(16, 0, 16 + size).bytes + rec.substr(0, 20), // truncated record
        LibraryBytes().header(9000, 0, 16).bytes,                          // head outside
        LibraryBytes().header(16, 0, 16 + size).bytes +
            LibraryBytes().record(16, 16, "m", "x").bytes, // record links to itself
        LibraryBytes().header(0, 16, 16 + 12).bytes +
            LibraryBytes().u32(22).u16(6).u32(16).u16(6).bytes, // free list cycle
    };
    // Free lists whose first block would take a new record but that are damaged: a block
    // inside a live record, a block linked to itself, two blocks that overlap, a link past
    // the end offset. Each `free_at_59` has record m at 16 and 60 bytes for blocks at 59.
    std::string inside_record = LibraryBytes().header(16, 80, 158).bytes +
                                LibraryBytes().record(16, 0, "m", std::string(100, 'x')).bytes;
    inside_record.replace(80, 6, LibraryBytes().u32(0).u16(60).bytes); // in m's body
    damaged.push_back(inside_record);
    const std::string free_at_59 =
        LibraryBytes().header(16, 59, 119).bytes + rec + std::string(60, '\0');
    for (const auto &[first, second] : std::vector<std::pair<std::string, std::string>>{
             {LibraryBytes().u32(59).u16(60).bytes, ""},                                  // itself
             {LibraryBytes().u32(80).u16(60).bytes, LibraryBytes().u32(0).u16(30).bytes}, // overlap
             {LibraryBytes().u32(900).u16(60).bytes, ""}}) { // past end
        std::string bytes = free_at_59;
        bytes.replace(59, 6, first);
        if (!second.empty()) bytes.replace(80, 6, second);
        damaged.push_back(bytes);
    }
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        home.write("defs.mac", damaged[i]);
        EXPECT_FALSE(library.open_definition_file() && library.delete_macro("m") &&
                     library.store_macro(definition("n", "")));
        EXPECT_EQ(last_error(), 4650);
        EXPECT_EQ(file(), damaged[i]);
    }
    // Bytes past the end offset (an append that never got its header) do no harm.
    home.write("defs.mac", sound_with_tail);
    EXPECT_TRUE(library.open_definition_file() && library.delete_macro("m"));
}

TEST_F(MacroLibraryTest, RecordSizeThatDoesNotMatchItsFieldsIsRefused) {
    LibraryBytes bytes;
    bytes.header(16, 0, 16 + 44).u32(0).f64(0).u16(44).u16(1).u16(0).u16(0).u16(0).u16(0);
    bytes.u16(4).u32(16 + 37).u32(16 + 41).text("m").text("").raw("\x01\x01\x01\x02\0\0"s);
    home.write("defs.mac", bytes.bytes); // size says 44, the fields make 42
    ASSERT_TRUE(library.open_definition_file());
    EXPECT_FALSE(library.delete_macro("m"));
    EXPECT_EQ(last_error(), 4650);
    EXPECT_EQ(file(), bytes.bytes);
}

TEST_F(MacroLibraryTest, SlotLoadsNamesNewestFirstAndDirectoryFindsThemInAnyCase) {
    const uint32_t size = LibraryBytes::record_size("m", "1");
    LibraryBytes lib;
    lib.header(16 + size, 0, 16 + 2 * size);
    lib.record(16, 0, "m", "1").raw("\0"s).record(16 + size, 16, "M", "2");
    home.write("lib.mac", lib.bytes);
    library.set_slot_file(1, home.path("lib.mac"));
    ASSERT_TRUE(library.open_library_slot(1, "m"));
    const DirectoryEntry *entry = library.directory.lookup("m");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->offsets[1], static_cast<int32_t>(16 + size));
    EXPECT_EQ(entry->offsets[0], -1);
    bool stale = true;
    const auto called = library.called_macro(1, entry->offsets[1], stale);
    ASSERT_NE(called, nullptr);
    EXPECT_FALSE(stale);
    EXPECT_EQ(called->record.name, "M");
    EXPECT_EQ(called->body, "2\x01\x01\x01\x02");
    EXPECT_EQ(library.current_handle, library.slot(1).handle);

    library.clear_slot(1);
    EXPECT_EQ(library.directory.lookup("m")->offsets[1], -1);
}

// A file that cannot be opened leaves the slot closed, to be tried again; one that is no
// library, or a damaged one, leaves it open with no names, so the later slots are searched.
TEST_F(MacroLibraryTest, UnusableSlotFilesAddNoNames) {
    library.set_slot_file(0, home.path("missing.mac"));
    EXPECT_FALSE(library.open_library_slot(0, "m"));
    EXPECT_EQ(last_error(), 2008);
    EXPECT_FALSE(library.slot(0).is_open());
    home.write("bad.mac", LibraryBytes().header(16, 0, 16 + 60).bytes +
                              LibraryBytes().record(16, 9999, "m", "x").bytes + "\0"s);
    home.write("text.mac", "no library at all");
    for (const char *file : {"bad.mac", "text.mac"}) {
        SCOPED_TRACE(file);
        library.set_slot_file(0, home.path(file));
        EXPECT_FALSE(library.open_library_slot(0, "m"));
        EXPECT_EQ(last_error(), std::string(file) == "bad.mac" ? 4650 : 2007);
        EXPECT_TRUE(library.slot(0).is_open());
        EXPECT_EQ(library.directory.lookup("m"), nullptr);
        EXPECT_TRUE(library.refresh_slot(0, "m"));
    }
}

TEST_F(MacroLibraryTest, DefinitionFileAndSlotOfOneFileAreNeverOpenTogether) {
    ASSERT_TRUE(library.open_definition_file());
    ASSERT_TRUE(library.store_macro(definition("m", "")));
    library.set_slot_file(0, home.path("defs.mac"));
    ASSERT_TRUE(library.open_library_slot(0, "m"));
    EXPECT_EQ(library.definition_handle(), -1);
    EXPECT_EQ(library.directory.lookup("m")->offsets[0], 16);
    ASSERT_TRUE(library.open_definition_file());
    EXPECT_FALSE(library.slot(0).is_open());
    EXPECT_EQ(library.directory.lookup("m")->offsets[0], -1);
    EXPECT_EQ(library.find_library_handle(home.path("DEFS.MAC")), library.slot(0).handle);
    EXPECT_TRUE(library.slot(0).is_open());
    EXPECT_EQ(library.find_library_handle("elsewhere.mac"), -1);
    EXPECT_EQ(last_error(), 2078);
}

} // namespace
} // namespace vornmac
