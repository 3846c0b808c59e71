#include "macro/library_bytes.hpp"
#include "macro/library_format.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace vornmac::maclib {
namespace {

using testing::LibraryBytes;

TEST(LibraryFormat, FieldsAreLittleEndian) {
    unsigned char b[8];
    put_u32(b, library_magic);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(b), 4), "\x68\xe8\xd9\xfe");
    put_u16(b, 0xfffe);
    EXPECT_EQ(get_u16(b), 0xfffe);
    put_f64(b, 2883600.5);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(b), 8), LibraryBytes().f64(2883600.5).bytes);
    EXPECT_EQ(get_f64(b), 2883600.5);
}

// A file on disk holding the given bytes, open for reading.
class OpenBytes {
  public:
    explicit OpenBytes(const std::string &bytes) {
        std::FILE *f = std::tmpfile();
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fflush(f);
        file_ = f;
    }
    ~OpenBytes() { std::fclose(file_); }
    LibraryFile library() const { return LibraryFile(fileno(file_)); }

  private:
    std::FILE *file_;
};

TEST(LibraryFormat, ParametersAreReadPositionalFirstWithTheirDefaults) {
    LibraryBytes b;
    b.header(16, 0, 16 + 55);
    b.u32(0).f64(7).u16(55).u16(1).u16(0).u16(1).u16(1).u16(2).u16(4).u32(16 + 50).u32(16 + 54);
    b.text("m").text("").u16(1).text("a").u16(1).text("b").u16(2).text("xy").raw("\1\1\1\2");
    OpenBytes open(b.bytes);
    MacroRecord record;
    ASSERT_FALSE(open.library().read_record(16, 16 + 55, record));
    ASSERT_EQ(record.parameters.size(), 2u);
    EXPECT_FALSE(record.parameters[0].named);
    EXPECT_EQ(record.parameters[1].name, "b");
    EXPECT_EQ(record.parameters[1].default_text, "xy");
    EXPECT_EQ(record.header.time_stamp, 7);
}

TEST(LibraryFormat, DamageNamesTheRecordAndTheField) {
    LibraryBytes b;
    b.header(16, 0, 16 + 41);
    b.u32(0).f64(0).u16(41).u16(900).u16(0).u16(0).u16(0).u16(0).u16(4).u32(16 + 36).u32(16 + 40);
    b.text("m").text("").raw("\1\1\1\2");
    OpenBytes open(b.bytes);
    MacroRecord record;
    const Damage d = open.library().read_record(16, 16 + 41, record);
    EXPECT_EQ(d.what, "record at 16: name of length 900 runs past the record's fixed part");
    EXPECT_EQ(d.offset, 16 + 34);

    FileHeader header;
    OpenBytes short_file(LibraryBytes().header(0, 0, 16).bytes.substr(0, 12));
    EXPECT_EQ(short_file.library().read_file_header(header).what,
              "file header: the file holds 12 bytes, a library needs at least 16");
}

TEST(LibraryFormat, ChainWalkStopsAtACycle) {
    ChainWalk walk(16);
    EXPECT_FALSE(walk.advance(40, "macro list"));
    EXPECT_FALSE(walk.advance(80, "macro list"));
    const Damage d = walk.advance(16, "macro list");
    EXPECT_EQ(d.what, "macro list: the link at 80 leads back to 16, a cycle");
}

} // namespace
} // namespace vornmac::maclib
