// A library update interrupted at any write leaves a sound library that holds the macros of
// before the update or those of after it. Each update is run once to count its writes, then
// again for every N with the N-th write failing (a full disk) and with every write from the
// N-th on failing (the process killed there); after each, `lib check` must find nothing and
// the macros a call would find must be the old ones or the new ones. A finished update must
// leave the bytes of the plain order (old record freed, first fit, header last), which is
// written out here on its own as the reference.
#include "host/parser_context.hpp"
#include "macro/library_check.hpp"
#include "macro/library_state.hpp"
#include "macro/macro_library.hpp"
#include "platform/raw_file.hpp"
#include "platform/write_fault.hpp"
#include "support/test_home.hpp"
#include "vars/name_compare.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace vornmac {
namespace {

namespace fault = platform::write_fault;
using maclib::MacroDefinition;

constexpr double stamp = 2000.0 * 1440 + 14 * 60 + 5;

MacroDefinition definition(const std::string &name, const std::string &body_text,
                           bool with_parameter = false) {
    MacroDefinition d;
    d.name = name;
    if (with_parameter) d.parameters = {{"p", "dflt", true}};
    d.body = body_text + std::string(maclib::macro_end_marker);
    d.time_stamp = stamp;
    return d;
}

// A library's macros as calls find them: the newest record of each name, whole.
using MacroSet = std::map<std::string, std::string>;

class CrashSafety : public ::testing::Test {
  protected:
    CrashSafety() {
        context.vars.save(0, "_macromacro", home.path("defs").c_str());
        library.clock = [] { return stamp; };
    }
    ~CrashSafety() override { fault::disarm(); }

    std::string file() const { return home.read("defs.mac"); }

    // Opens `bytes` as a library file and hands it to `use`.
    template <typename Use> auto with_file(const std::string &bytes, Use use) const {
        home.write("look.mac", bytes);
        const platform::UniqueHandle handle(
            platform::raw_open_file(home.path("look.mac").c_str(), platform::Access::read, false)
                .handle);
        return use(maclib::LibraryFile(handle.get()));
    }

    MacroSet macros_of(const std::string &bytes) const {
        return with_file(bytes, [](const maclib::LibraryFile &file) {
            const maclib::LibraryReport report = maclib::inspect_library(file);
            MacroSet set;
            for (const maclib::MacroRecord &r : report.records) {
                std::string body;
                EXPECT_TRUE(maclib::read_body_text(file, r, body));
                std::string key = r.name;
                for (char &c : key)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                std::string whole = r.label + "|" + body;
                for (const maclib::MacroParameter &p : r.parameters)
                    whole += "|" + p.name + "=" + p.default_text;
                set.emplace(key, whole); // the first met, the newest, stays
            }
            return set;
        });
    }

    std::vector<maclib::Damage> faults_of(const std::string &bytes) const {
        return with_file(bytes, [](const maclib::LibraryFile &file) {
            return maclib::inspect_library(file).faults;
        });
    }

    maclib::LibraryState state_of(const std::string &bytes) const {
        return with_file(bytes, [](const maclib::LibraryFile &file) {
            maclib::LibraryState state;
            EXPECT_FALSE(maclib::read_library_state(file, state));
            return state;
        });
    }

    // The reference: the plain order on the file image.
    static void put(std::string &image, int64_t at, const std::vector<unsigned char> &bytes) {
        const auto end = static_cast<size_t>(at) + bytes.size();
        if (image.size() < end) image.resize(end, '\0');
        std::copy(bytes.begin(), bytes.end(), image.begin() + at);
    }
    static std::vector<unsigned char> u32_u16(uint32_t link, int size) {
        std::vector<unsigned char> b(size < 0 ? 4 : 6);
        maclib::put_u32(b.data(), link);
        if (size >= 0) maclib::put_u16(b.data() + 4, static_cast<uint16_t>(size));
        return b;
    }
    std::string plain_delete(std::string image, const std::string &name) const {
        const maclib::LibraryState s = state_of(image);
        maclib::FileHeader h = s.header;
        for (size_t i = 0; i < s.records.size(); ++i) {
            const maclib::MacroRecord &r = s.records[i];
            if (name_compare(r.name.c_str(), name.c_str()) != 0) continue;
            put(image, r.offset, u32_u16(h.free_head, r.header.record_size));
            h.free_head = static_cast<uint32_t>(r.offset);
            if (i == 0)
                h.list_head = r.header.next;
            else
                put(image, s.records[i - 1].offset, u32_u16(r.header.next, -1));
            const auto header = maclib::encode_file_header(h);
            put(image, 0, {header.begin(), header.end()});
            break;
        }
        return image;
    }
    std::string plain_store(std::string image, const MacroDefinition &d) const {
        image = plain_delete(image, d.name);
        const maclib::LibraryState s = state_of(image);
        maclib::FileHeader h = s.header;
        const int32_t size = maclib::record_size_for(d);
        int32_t at = static_cast<int32_t>(h.end_offset);
        h.end_offset += static_cast<uint32_t>(size);
        for (size_t i = 0; i < s.free_blocks.size(); ++i) {
            const maclib::FreeBlock &b = s.free_blocks[i];
            if (b.size < size) continue;
            at = b.offset;
            h.end_offset = s.header.end_offset;
            uint32_t replacement = b.next;
            if (b.size - size >= maclib::split_remainder_minimum) {
                replacement = static_cast<uint32_t>(at + size);
                put(image, at + size, u32_u16(b.next, b.size - size));
            }
            if (i == 0)
                h.free_head = replacement;
            else
                put(image, s.free_blocks[i - 1].offset, u32_u16(replacement, -1));
            break;
        }
        put(image, at, maclib::encode_record(d, at, h.list_head));
        h.list_head = static_cast<uint32_t>(at);
        const auto header = maclib::encode_file_header(h);
        put(image, 0, {header.begin(), header.end()});
        return image;
    }

    // Builds the starting library with `prepare`, then sweeps `update` over every write.
    // Gives the number of writes the update makes.
    int sweep(const std::function<bool()> &update, const std::string &expected_final) {
        const std::string before = file();
        const MacroSet old_set = macros_of(before);
        fault::arm(library.definition_handle(), fault::Mode::count_only);
        EXPECT_TRUE(update());
        fault::disarm();
        const int writes = fault::writes_counted();
        const std::string after = file();
        EXPECT_EQ(after, expected_final) << "the final bytes are not those of the plain order";
        const MacroSet new_set = macros_of(after);
        EXPECT_NE(old_set, new_set);
        for (const fault::Mode mode : {fault::Mode::fail_one, fault::Mode::fail_from}) {
            for (int n = 1; n <= writes; ++n) {
                SCOPED_TRACE("write " + std::to_string(n) + " of " + std::to_string(writes) +
                             (mode == fault::Mode::fail_one ? ", failed" : ", killed"));
                home.write("defs.mac", before);
                fault::arm(library.definition_handle(), mode, n);
                update();
                fault::disarm();
                const std::string left = file();
                EXPECT_EQ(faults_of(left).size(), 0u);
                const MacroSet held = macros_of(left);
                EXPECT_TRUE(held == old_set || held == new_set);
            }
        }
        return writes;
    }

    int sweep_store(const std::function<void()> &prepare, const MacroDefinition &d) {
        prepare();
        return sweep([&] { return library.store_macro(d); }, plain_store(file(), d));
    }
    int sweep_delete(const std::function<void()> &prepare, const std::string &name) {
        prepare();
        return sweep([&] { return library.delete_macro(name.c_str()); },
                     plain_delete(file(), name));
    }

    void store(const MacroDefinition &d) { ASSERT_TRUE(library.store_macro(d)); }

    testing::TestHome home;
    ParserContext context{home.dir().c_str(), 0, {"p"}};
    MacroLibrary &library = context.macros;
    int total_writes = 0;
};

TEST_F(CrashSafety, EveryPrefixOfEveryUpdateHoldsTheOldOrTheNewMacros) {
    ASSERT_TRUE(library.open_definition_file());
    const std::string big(100, 'x');
    const auto empty = maclib::encode_file_header({});
    const auto three = [&] {
        home.write("defs.mac", std::string(empty.begin(), empty.end()));
        store(definition("a", "1"));
        store(definition("b", "22", true));
        store(definition("c", "333"));
    };
    // A free block of 144 bytes first in the free list, a small one after it.
    const auto with_free = [&] {
        three();
        store(definition("s", ""));
        store(definition("g", big));
        ASSERT_TRUE(library.delete_macro("s"));
        ASSERT_TRUE(library.delete_macro("g"));
    };
    // The small block first, the large one after it.
    const auto small_first = [&] {
        three();
        store(definition("g", big));
        store(definition("s", ""));
        ASSERT_TRUE(library.delete_macro("g"));
        ASSERT_TRUE(library.delete_macro("s"));
    };
    const auto big_tail = [&] {
        three();
        store(definition("a", big));
    };
    struct Case {
        const char *what;
        std::function<int()> run;
    };
    const std::vector<Case> cases = {
        {"new, appended", [&] { return sweep_store(three, definition("n", "new")); }},
        {"new into the first free block, split",
         [&] { return sweep_store(with_free, definition("n", "")); }},
        {"new into a later free block",
         [&] { return sweep_store(small_first, definition("n", std::string(30, 'n'))); }},
        {"replacing the first record in place",
         [&] { return sweep_store(three, definition("c", "444")); }},
        {"replacing the first record by a smaller one, split",
         [&] {
             return sweep_store([&] { (three(), store(definition("c", big))); },
                                definition("c", ""));
         }},
        {"replacing a later record in place",
         [&] { return sweep_store(three, definition("a", "9")); }},
        {"replacing a middle record in place",
         [&] { return sweep_store(three, definition("B", "77", true)); }},
        {"replacing a later record by a smaller one, split",
         [&] { return sweep_store(big_tail, definition("a", "")); }},
        {"replacing a later record by a larger one, appended",
         [&] { return sweep_store(three, definition("b", std::string(50, 'b'))); }},
        {"replacing the first record by a larger one, appended",
         [&] { return sweep_store(three, definition("c", std::string(50, 'c'))); }},
        {"replacing by a larger one in the first free block",
         [&] { return sweep_store(with_free, definition("b", std::string(50, 'b'))); }},
        {"replacing the first record by a larger one in a later free block",
         [&] { return sweep_store(small_first, definition("c", std::string(30, 'c'))); }},
        {"deleting the first record", [&] { return sweep_delete(three, "c"); }},
        {"deleting a later record", [&] { return sweep_delete(with_free, "a"); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const int writes = c.run();
        EXPECT_GE(writes, 2);
        total_writes += writes;
    }
    // Two faults (failed, killed) at every write of every update.
    RecordProperty("writes_swept", total_writes);
    EXPECT_GE(total_writes, 50);
}

// A failed update leaves a library that the next update uses as it is.
TEST_F(CrashSafety, UpdateAfterAFailedOneFindsASoundLibrary) {
    ASSERT_TRUE(library.open_definition_file());
    store(definition("a", "1"));
    store(definition("b", "2"));
    fault::arm(library.definition_handle(), fault::Mode::fail_one, 2);
    EXPECT_FALSE(library.store_macro(definition("a", "3")));
    fault::disarm();
    EXPECT_EQ(context.errors.last_number(), 2006);
    ASSERT_TRUE(library.store_macro(definition("a", "4")));
    EXPECT_TRUE(faults_of(file()).empty());
    EXPECT_EQ(macros_of(file()).at("a"), "|4");
}

} // namespace
} // namespace vornmac
