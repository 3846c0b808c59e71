#include "vars/variable_file.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

using namespace std::string_literals;

class VariableFileTest : public ::testing::Test {
  protected:
    ChunkAllocator chunks;
    BlockPool pool{chunks};
    VarStore store{chunks, pool, [](int16_t, std::vector<vornmac::ErrorArg>) {}};
    VarStore loaded{chunks, pool, [](int16_t, std::vector<vornmac::ErrorArg>) {}};
    VariableFileContents contents;
};

TEST_F(VariableFileTest, ValuesAreWrittenInNameOrderByteForByte) {
    // Empty: the header, the top and the end marker.
    const std::string empty = write_variable_file(store, contents);
    EXPECT_EQ(empty, "\x02\x00\xff\xff\xfe\xff"s);
    EXPECT_EQ(read_variable_file(empty, loaded, contents).result, LoadResult::loaded);
    store.save(-1, "b", "");
    store.save(-1, "A", "xy");
    const std::string bytes = write_variable_file(store, contents);
    EXPECT_EQ(bytes, "\x02\x00\xff\xff"
                     "\xff\xff\x01\x00"
                     "A\x02\x00xy"
                     "\xff\xff\x01\x00"
                     "b\x00\x00"
                     "\xfe\xff"s);
    ASSERT_EQ(read_variable_file(bytes, loaded, contents).result, LoadResult::loaded);
    loaded.current_level = 0;
    EXPECT_STREQ(loaded.optstring("a"), "xy");
    ASSERT_NE(loaded.find_var_level(-1, "b"), nullptr);
    EXPECT_STREQ(loaded.find_var_level(-1, "b")->text, "");
}

TEST_F(VariableFileTest, InputRecordsRoundTrip) {
    SavedInputRecord record;
    record.image.fill(0x41);
    record.source_name = "main.vm";
    record.current_source_name = "";
    contents.input_records.push_back(record);
    const std::string bytes = write_variable_file(store, contents);
    EXPECT_EQ(bytes.size(), 2u + 2u + 33u + 2u + 8u + 2u + 1u + 2u);
    VariableFileContents back;
    ASSERT_EQ(read_variable_file(bytes, loaded, back).result, LoadResult::loaded);
    ASSERT_EQ(back.input_records.size(), 1u);
    EXPECT_EQ(back.input_records[0].source_name, "main.vm");
    EXPECT_EQ(back.input_records[0].image[27], 0); // the buffer pointer is not kept
    EXPECT_EQ(back.input_records[0].image[0], 0x41);
}

TEST_F(VariableFileTest, LoadStopsAtTheFirstMinusTwoValue) {
    const std::string bytes = "\x02\x00\xff\xff"
                              "\xfe\xff\x01\x00h\x01\x00z"
                              "\xff\xff\x01\x00v\x01\x00w"s;
    EXPECT_EQ(read_variable_file(bytes, loaded, contents).result, LoadResult::loaded);
    EXPECT_EQ(loaded.count(), 0);
}

TEST_F(VariableFileTest, WrongVersionAndDamagedFilesAreRefused) {
    const auto v1 = read_variable_file("\x01\x00\xff\xff\xfe\xff"s, loaded, contents);
    EXPECT_EQ(v1.result, LoadResult::wrong_version);
    EXPECT_EQ(v1.version, 1);
    const std::string good = "\x02\x00\xff\xff\xff\xff\x01\x00v\x02\x00ab\xfe\xff"s;
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_EQ(read_variable_file(good.substr(0, cut), loaded, contents).result,
                  LoadResult::damaged)
            << cut;
    EXPECT_EQ(read_variable_file("\x02\x00\x50\x00"s, loaded, contents).result,
              LoadResult::damaged); // 81 input records
    EXPECT_EQ(
        read_variable_file("\x02\x00\xff\xff\x4b\x00\x01\x00v\x00\x00\xfe\xff"s, loaded, contents)
            .result,
        LoadResult::damaged); // level 75
}

TEST_F(VariableFileTest, WriterLeavesOutWhatTheLoaderRefuses) {
    store.save(-1, std::string(100, 'n').c_str(), "long name");
    store.save(-1, std::string(99, 'k').c_str(), "kept");
    store.save(75, "deep", "level 75");
    std::vector<SavedValue> left_out;
    const std::string bytes = write_variable_file(store, contents, &left_out);
    ASSERT_EQ(left_out.size(), 2u);
    EXPECT_EQ(left_out[0].name, "deep");
    EXPECT_EQ(left_out[0].level, 75);
    EXPECT_EQ(left_out[1].name, std::string(100, 'n'));
    ASSERT_EQ(read_variable_file(bytes, loaded, contents).result, LoadResult::loaded);
    EXPECT_EQ(loaded.count(), 1);
    // The same value written by hand is refused, and the offset is named.
    const std::string by_hand =
        "\x02\x00\xff\xff\xff\xff\x64\x00"s + std::string(100, 'n') + "\x00\x00\xfe\xff"s;
    const LoadOutcome outcome = read_variable_file(by_hand, loaded, contents);
    EXPECT_EQ(outcome.result, LoadResult::damaged);
    EXPECT_NE(outcome.problem.find("at byte 4"), std::string::npos) << outcome.problem;
}

TEST(TemporaryName, ReplacesTheExtensionOrAddsOne) {
    EXPECT_EQ(temporary_variable_file_name("vorn_opt.dat"), "vorn_opt.$$9");
    EXPECT_EQ(temporary_variable_file_name("/a.b/opts"), "/a.b/opts.$$9");
    EXPECT_EQ(temporary_variable_file_name("dir/x.y.z"), "dir/x.y.$$9");
}

} // namespace
} // namespace vornmac
