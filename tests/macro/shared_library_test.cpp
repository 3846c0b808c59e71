// One library used by two runs at once (two contexts here; the tool tests use processes): a
// writer waits for another's lock, within its patience; a reader sees what the other
// changed once it looks at the file again, and never reads a record the other freed.
#include "host/parser_context.hpp"
#include "macro/library_bytes.hpp"
#include "macro/macro_library.hpp"
#include "platform/file_lock.hpp"
#include "platform/raw_file.hpp"
#include "support/test_home.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

namespace vornmac {
namespace {

using std::chrono::milliseconds;

maclib::MacroDefinition definition(const std::string &name, const std::string &body_text) {
    maclib::MacroDefinition d;
    d.name = name;
    d.body = body_text + std::string(maclib::macro_end_marker);
    return d;
}

class SharedLibrary : public ::testing::Test {
  protected:
    SharedLibrary() {
        writer.vars.save(0, "_macromacro", home.path("lib").c_str());
        reader.macros.set_slot_file(0, home.path("lib.mac"));
        EXPECT_TRUE(writer.macros.open_definition_file());
    }
    ~SharedLibrary() override { MacroLibrary::lock_patience = patience; }

    // The body the reader's call of `name` finds, or "" when its slot does not hold it.
    std::string called(const char *name) {
        MacroLibrary &library = reader.macros;
        for (int tries = 0; tries < 2; ++tries) {
            if (!library.refresh_slot(0, name)) return "(error)";
            const DirectoryEntry *entry = library.directory.lookup(name);
            if (entry == nullptr || entry->offsets[0] < 0) return "";
            bool stale = false;
            const auto macro = library.called_macro(0, entry->offsets[0], stale);
            if (macro) return macro->body.substr(0, macro->body.size() - 4);
            if (!stale) return "(error)";
        }
        return "(stale twice)";
    }

    const milliseconds patience = MacroLibrary::lock_patience;
    testing::TestHome home;
    ParserContext writer{home.dir().c_str(), 0, {"w"}};
    ParserContext reader{home.dir().c_str(), 0, {"r"}};
};

TEST_F(SharedLibrary, AnUpdateWaitsForTheLockOnlyAsLongAsItsPatience) {
    ASSERT_TRUE(writer.macros.store_macro(definition("m", "one")));
    const std::string before = home.read("lib.mac");
    const platform::UniqueHandle other(
        platform::raw_open_file(home.path("lib.mac").c_str(), platform::Access::read_write, false)
            .handle);
    ASSERT_EQ(platform::lock_file(other.get(), platform::LockKind::exclusive, milliseconds(0)),
              platform::LockResult::held);
    MacroLibrary::lock_patience = milliseconds(50);
    EXPECT_FALSE(writer.macros.store_macro(definition("n", "two")));
    EXPECT_EQ(writer.errors.last_number(), 2006);
    EXPECT_FALSE(writer.macros.delete_macro("m"));
    EXPECT_EQ(home.read("lib.mac"), before);
    EXPECT_EQ(called("m"), "(error)");
    EXPECT_EQ(reader.errors.last_number(), 2008);
    platform::unlock_file(other.get());
    EXPECT_TRUE(writer.macros.store_macro(definition("n", "two")));
    EXPECT_EQ(called("m"), "one");
    EXPECT_EQ(called("n"), "two");
}

TEST_F(SharedLibrary, AReaderSeesAnotherRunsChangesWhenItLooksAgain) {
    ASSERT_TRUE(writer.macros.store_macro(definition("m", "one")));
    EXPECT_EQ(called("m"), "one");
    EXPECT_EQ(called("n"), "");
    // The same size in the same place, and a new name: no header field tells them apart.
    ASSERT_TRUE(writer.macros.store_macro(definition("m", "two")));
    ASSERT_TRUE(writer.macros.store_macro(definition("n", "new")));
    reader.macros.expect_changes();
    EXPECT_EQ(called("m"), "two");
    EXPECT_EQ(called("n"), "new");
    // Without being told, within one tick of the coarse clock.
    ASSERT_TRUE(writer.macros.store_macro(definition("m", "333")));
    const int64_t tick = platform::coarse_clock_ns();
    while (platform::coarse_clock_ns() == tick)
        std::this_thread::yield();
    EXPECT_EQ(called("m"), "333");
}

TEST_F(SharedLibrary, ARecordAnotherRunFreedAndReusedIsNeverRead) {
    ASSERT_TRUE(writer.macros.store_macro(definition("m", "one")));
    // The reader has m's names but not yet its record when the writer replaces m by n.
    ASSERT_TRUE(reader.macros.refresh_slot(0, "m"));
    const int32_t offset = reader.macros.directory.lookup("m")->offsets[0];
    ASSERT_TRUE(writer.macros.delete_macro("m"));
    ASSERT_TRUE(writer.macros.store_macro(definition("n", "two")));
    bool stale = false;
    EXPECT_EQ(reader.macros.called_macro(0, offset, stale), nullptr);
    EXPECT_TRUE(stale);
    EXPECT_EQ(reader.macros.directory.lookup("m")->offsets[0], -1);
    EXPECT_EQ(reader.macros.directory.lookup("n")->offsets[0], offset);
}

} // namespace
} // namespace vornmac
