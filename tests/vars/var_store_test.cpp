#include "vars/name_compare.hpp"
#include "vars/var_store.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vornmac {
namespace {

class VarStoreTest : public ::testing::Test {
  protected:
    ChunkAllocator chunks;
    BlockPool pool{chunks};
    std::vector<int16_t> errors;
    VarStore store{chunks, pool,
                   [this](int16_t n, std::vector<vornmac::ErrorArg>) { errors.push_back(n); }};

    // Also checks the length kept with the value.
    std::string at(int16_t level, const char *name) {
        VarLevel *v = store.find_var_level(level, name);
        if (v == nullptr) return "<none>";
        EXPECT_EQ(v->length, std::strlen(v->text)) << name;
        return v->text;
    }
};

// Case, trailing white space and all past the first 200 characters are ignored, and names
// that compare equal hash alike.
TEST(NameCompare, EqualNamesHashAlike) {
    const std::string base(200, 'x');
    const std::vector<std::pair<std::string, std::string>> same = {
        {"ABC", "abc"},     {"abc  \t", "abc"},         {"a b", "a\tb"}, {"abc", "abc\n"},
        {"a\nb \n", "A b"}, {base + "a", base + "b  "}, {"", "  "}};
    for (const auto &[a, b] : same) {
        ASSERT_EQ(name_compare(a.c_str(), b.c_str()), 0) << a << "|" << b;
        EXPECT_EQ(name_hash(a.c_str()), name_hash(b.c_str())) << a << "|" << b;
    }
    EXPECT_NE(name_compare("a b", "a  b"), 0);
    EXPECT_NE(name_hash("a b"), name_hash("a  b"));
    EXPECT_NE(name_hash("ab"), name_hash("ba"));
    EXPECT_EQ(name_compare("abc", "abd"), -1);
    EXPECT_EQ(name_compare("abd", "abc"), 1);
    EXPECT_EQ(name_compare("ab", "abc"), -1);
    EXPECT_EQ(name_compare("[", "a"), -1); // only A-Z fold: '[' sorts below 'a'
    EXPECT_NE(name_compare((base.substr(1) + "a").c_str(), (base.substr(1) + "b").c_str()), 0);
}

// Lookups remember the variables they found; with many more variables than remembered
// ones, every spelling of a name still finds its own variable and no other.
TEST_F(VarStoreTest, ManyNamesInManySpellingsFindTheirOwnVariable) {
    auto name = [](int i) { return "v" + std::to_string(i); };
    for (int i = 0; i < 1000; ++i)
        store.save(0, name(i).c_str(), std::to_string(i).c_str());
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 1000; i += 7) {
            EXPECT_EQ(at(0, name(i).c_str()), std::to_string(i));
            EXPECT_EQ(at(0, ("V" + std::to_string(i) + " \t").c_str()), std::to_string(i));
            EXPECT_EQ(at(0, ("v " + std::to_string(i)).c_str()), "<none>");
            EXPECT_EQ(at(0, (name(i) + "x").c_str()), "<none>");
        }
    }
    // A name found missing and then made is found from then on.
    EXPECT_EQ(store.lookup("late", true), nullptr);
    MacroVar *made = store.lookup("LATE", false);
    EXPECT_EQ(store.lookup("late ", true), made);
    EXPECT_EQ(store.count(), 1001);
}

TEST_F(VarStoreTest, InnerLevelHidesOuterValueUntilDropped) {
    store.save(0, "x", "1");
    store.save(1, "X", "2");
    EXPECT_EQ(at(1, "x"), "2");
    EXPECT_EQ(at(0, "x"), "1");
    store.drop_level(1);
    EXPECT_EQ(at(1, "x"), "1");
    EXPECT_EQ(store.count(), 1);
}

// A dropped level's values lend their storage to later saves: texts longer and shorter than
// the storage they are given, more values dropped at once than are kept, and the reader told
// of the text it reads as its value goes, and of no other.
TEST_F(VarStoreTest, DroppedValuesLendTheirStorageToLaterSaves) {
    struct Reader : TextReader {
        int told = 0;
        const char *reading = nullptr;
        void text_released(const char *text) override { told += text == reading; }
    } reader;
    struct DetachReader {
        VarStore &store;
        ~DetachReader() { store.set_text_reader(nullptr, nullptr); }
    } detach{store};
    store.set_text_reader(&reader, &reader.reading);
    store.save(0, "p0", "outer");
    const std::string long_text(300, 'L');
    auto text_of = [&](int round, int i) {
        const std::string short_text = "p" + std::to_string(i) + "=" + std::to_string(round);
        return (round + i) % 2 == 0 ? long_text + short_text : short_text;
    };
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 12; ++i)
            store.save(1, ("p" + std::to_string(i)).c_str(), text_of(round, i).c_str());
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(at(1, ("P" + std::to_string(i)).c_str()), text_of(round, i)) << round;
        reader.reading = store.find_var_level(1, ("p" + std::to_string(round * 3)).c_str())->text;
        store.drop_level(1);
        EXPECT_EQ(reader.told, round + 1);
        EXPECT_EQ(at(1, "p0"), "outer");
        EXPECT_EQ(at(1, "p11"), "<none>");
    }
}

TEST_F(VarStoreTest, SavedLevelShowsThroughButMinusTwoOnlyAtMinusTwo) {
    store.save(-1, "opt", "y");
    store.save(-2, "hidden", "z");
    EXPECT_EQ(at(0, "opt"), "y");
    EXPECT_EQ(at(7, "opt"), "y");
    EXPECT_EQ(at(0, "hidden"), "<none>");
    EXPECT_EQ(at(-1, "hidden"), "<none>");
    EXPECT_EQ(at(-2, "hidden"), "z");
    store.save(0, "g", "0");
    EXPECT_EQ(at(-1, "g"), "<none>");
}

TEST_F(VarStoreTest, MovingOntoAnOccupiedLevelReplacesItsValueAndDropsThoseAbove) {
    store.save(0, "v", "old");
    VarLevel *inner = store.save(3, "v", "new");
    store.move_var_level(inner, 0);
    EXPECT_EQ(at(0, "v"), "new");
    EXPECT_EQ(at(5, "v"), "new");
    int values = 0;
    for (VarLevel *v = inner->owner->values; v; v = v->next)
        ++values;
    EXPECT_EQ(values, 1);
    store.drop_level(1);
    EXPECT_EQ(at(0, "v"), "new");
    // Moving to its own level drops everything above.
    store.save(1, "v", "1");
    store.save(2, "v", "2");
    store.move_var_level(store.find_var_level(0, "v"), 0);
    EXPECT_EQ(at(2, "v"), "new");
}

TEST_F(VarStoreTest, OptionReadsAcceptOnlyASmallY) {
    store.save(0, "a", "yes");
    store.save(0, "b", "Yes");
    store.save(0, "c", "No");
    store.save(0, "d", "");
    EXPECT_TRUE(store.optyes("a"));
    EXPECT_FALSE(store.optyes("b"));
    EXPECT_EQ(store.optyesno("c"), 'n');
    EXPECT_FALSE(store.optyes("d"));
    EXPECT_STREQ(store.optstring("missing"), "");
}

// A known name reads what optstring reads at every step: missing, made by another
// spelling after other variables were made, hidden by an inner level and shown again,
// changed in place, and left without a value.
TEST_F(VarStoreTest, KnownNameReadsAsTheNameWould) {
    KnownName known("_macrocolon");
    auto agrees = [&](const char *expected) {
        EXPECT_STREQ(store.optstring(known), expected);
        EXPECT_STREQ(store.optstring("_macrocolon"), expected);
        EXPECT_EQ(store.optyesno(known), store.optyesno("_macrocolon"));
    };
    agrees("");
    agrees("");
    store.save(0, "other", "y");
    agrees("");
    store.save(0, "_MACROCOLON ", "yes");
    agrees("yes");
    store.save(2, "_macrocolon", "no");
    store.current_level = 2;
    agrees("no");
    store.find_var_level(2, "_macrocolon")->text[0] = 'y';
    agrees("yo");
    store.drop_level(2);
    agrees("yes");
    store.drop_var_above(0, "_macrocolon");
    agrees("");
}

// A save through a known name leaves the store as a save by name would, whether it writes
// in place or not, and tells the reader of a text before that text changes.
TEST_F(VarStoreTest, KnownNameSaveActsAsSaveByName) {
    struct Reader : TextReader {
        std::vector<std::string> told;
        const char *reading = nullptr;
        // As the input stack does, the reader reads its own copy once told.
        void text_released(const char *text) override {
            told.emplace_back(text);
            reading = nullptr;
        }
    };
    // The readers outlive the stores that tell them of released texts: the fixture's store
    // lets go of its reader on every way out of the test, and `by_name` is made after them.
    Reader reader;
    Reader other_reader;
    struct DetachReader {
        VarStore &store;
        ~DetachReader() { store.set_text_reader(nullptr, nullptr); }
    } detach{store};
    ChunkAllocator other_chunks;
    BlockPool other_pool{other_chunks};
    std::vector<int16_t> other_errors;
    VarStore by_name{other_chunks, other_pool,
                     [&](int16_t n, std::vector<vornmac::ErrorArg>) { other_errors.push_back(n); }};
    store.set_text_reader(&reader, &reader.reading);
    by_name.set_text_reader(&other_reader, &other_reader.reading);

    KnownName known("_TEMP3");
    const std::string long_text(300, 'x');
    const std::string too_long(70000, 'y');
    const std::vector<std::pair<int16_t, std::string>> saves{
        {0, "first"}, {0, "2nd"},    {0, long_text}, {0, "short again"},
        {2, "inner"}, {2, too_long}, {1, "middle"},  {75, "deep"},
        {2, ""},      {0, "last"}};
    // Each reader reads the text the save replaces, when there is one.
    auto reading = [](VarStore &in, int16_t level) {
        const VarLevel *value = in.find_var_level(level, "_temp3");
        return value != nullptr && value->level == level ? value->text : nullptr;
    };
    for (const auto &[level, text] : saves) {
        reader.reading = reading(store, level);
        other_reader.reading = reading(by_name, level);
        const VarLevel *known_saved = store.save(level, known, text.c_str());
        const VarLevel *named_saved = by_name.save(level, "_TEMP3", text.c_str());
        EXPECT_EQ(known_saved == nullptr, named_saved == nullptr) << level << " " << text.size();
        for (int16_t at_level = -2; at_level <= 75; ++at_level) {
            const VarLevel *a = store.find_var_level(at_level, "_temp3");
            const VarLevel *b = by_name.find_var_level(at_level, "_temp3");
            ASSERT_EQ(a == nullptr, b == nullptr);
            if (a != nullptr) {
                EXPECT_STREQ(a->text, b->text);
                EXPECT_EQ(a->length, std::strlen(a->text));
            }
        }
        if (level == 2 && text.empty()) {
            store.drop_level(2);
            by_name.drop_level(2);
        }
    }
    EXPECT_EQ(errors, other_errors);
    EXPECT_EQ(reader.told, other_reader.told);
    EXPECT_FALSE(reader.told.empty());
    EXPECT_EQ(store.count(), 1);
    store.set_text_reader(nullptr, nullptr);
}

// A character set in place keeps the value's length; a zero byte ends the text there.
TEST_F(VarStoreTest, CharacterSetInPlaceKeepsTheLength) {
    VarLevel *value = store.save(0, "v", "abcdef");
    VarStore::set_char(*value, 2, 'Z');
    EXPECT_EQ(at(0, "v"), "abZdef");
    VarStore::set_char(*value, 3, '\0');
    EXPECT_EQ(at(0, "v"), "abZ");
    store.replace_text(*value, "longer text", 11);
    EXPECT_EQ(at(0, "v"), "longer text");
}

// Saving replaces the value at its own level only, and may be given text that lives in
// the value it replaces.
TEST_F(VarStoreTest, SaveReplacesItsLevelFromItsOwnText) {
    store.save(0, "v", "outer text");
    VarLevel *inner = store.save(2, "v", "inner text");
    store.save(1, "v", "middle");
    EXPECT_EQ(store.save(2, "V ", inner->text + 6), inner);
    EXPECT_EQ(at(2, "v"), "text");
    EXPECT_EQ(at(1, "v"), "middle");
    EXPECT_EQ(at(0, "v"), "outer text");
    int values = 0;
    for (VarLevel *v = inner->owner->values; v; v = v->next)
        ++values;
    EXPECT_EQ(values, 3);
}

TEST_F(VarStoreTest, LevelTooDeepIsReportedAndKeptOffLevelLists) {
    VarLevel *v = store.save(75, "deep", "x");
    ASSERT_EQ(errors, std::vector<int16_t>{2041});
    ASSERT_NE(v, nullptr);
    store.drop_local_levels();
    EXPECT_EQ(at(75, "deep"), "x");
}

// The longest value is kept whole; one byte more is refused like the other bad requests.
TEST_F(VarStoreTest, BadRequestsAreRefusedWithAnError) {
    const std::string longest(65534, 'v');
    ASSERT_NE(store.save(0, "x", longest.c_str()), nullptr);
    EXPECT_EQ(at(0, "x"), longest);
    EXPECT_EQ(store.save(-3, "y", "1"), nullptr);
    EXPECT_EQ(store.save(0, "", "1"), nullptr);
    EXPECT_EQ(store.save(0, nullptr, "1"), nullptr);
    EXPECT_EQ(store.save(0, "y", (longest + "v").c_str()), nullptr);
    EXPECT_EQ(errors, (std::vector<int16_t>{4600, 4603, 4603, 4601}));
    EXPECT_EQ(store.count(), 1);
}

TEST_F(VarStoreTest, FullTableRefusesANewNameButStillTakesKnownOnes) {
    for (int i = 0; i < VarStore::max_variables; ++i)
        ASSERT_NE(store.save(0, ("v" + std::to_string(i)).c_str(), "x"), nullptr) << i;
    EXPECT_EQ(store.save(0, "one_more", "x"), nullptr);
    EXPECT_EQ(errors, std::vector<int16_t>{4602});
    EXPECT_NE(store.save(1, "v7", "y"), nullptr) << "a known name takes a new level";
    EXPECT_EQ(at(1, "v7"), "y");
}

TEST_F(VarStoreTest, AscendingInsertsStayBalancedAndInOrder) {
    for (int i = 0; i < 5000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "v%05d", i);
        ASSERT_NE(store.save(0, name, name), nullptr);
    }
    std::vector<std::string> names;
    store.for_each_in_order([&](const MacroVar &v) { names.emplace_back(v.name); });
    ASSERT_EQ(names.size(), 5000u);
    for (size_t i = 1; i < names.size(); ++i)
        ASSERT_LT(names[i - 1], names[i]);
    EXPECT_EQ(at(0, "V04321"), "v04321");
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace vornmac
