#include "host/buffered_file.hpp"
#include "macro/library_bytes.hpp"
#include "macro/macro_listing.hpp"
#include "support/test_home.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vornmac {
namespace {

using namespace std::string_literals;

maclib::MacroRecord record(const std::string &name, double stamp,
                           std::vector<maclib::MacroParameter> parameters = {},
                           const std::string &label = "") {
    maclib::MacroRecord r;
    r.name = name;
    r.header.time_stamp = stamp;
    r.parameters = std::move(parameters);
    r.label = label;
    return r;
}

// 7 March 2002 is day 37321.
constexpr double march_7_2002_at_14_05 = 37321.0 * 1440 + 14 * 60 + 5;

TEST(MacroListing, SummaryLinePadsTheNameTo50ColumnsAndNumbersToTwo) {
    EXPECT_EQ(summary_line(record("SUMS", march_7_2002_at_14_05)),
              "SUMS" + std::string(46, ' ') + "     3/ 7/2002:14. 5");
    EXPECT_EQ(summary_line(record("m", 37321.0 * 1440 + 9 * 60 + 5)).substr(50),
              "     3/ 7/2002: 9. 5");
}

TEST(MacroListing, DisplayNameResolvesMarkersAndBlanksWhiteSpace) {
    EXPECT_EQ(display_name("a\x01\x03"
                           "b\tc\x02\x01"),
              "ab c(" + std::string(45, ' '));
    EXPECT_EQ(display_name(std::string(60, 'x')), std::string(50, 'x'));
}

class ListingFileTest : public ::testing::Test {
  protected:
    std::string listing(const std::function<void(BufferedFile &)> &write) {
        {
            auto out = BufferedFile::open(home.path("out.txt").c_str(), "w");
            write(*out);
            out->close();
        }
        return home.read("out.txt");
    }
    testing::TestHome home;
};

TEST_F(ListingFileTest, ParameterLinesFollowTheLabelAndEndWithAnEmptyLine) {
    const auto r = record("m", 0, {{"a", "", false}, {"b", "1", true}}, "Totals");
    const std::string text = listing([&](BufferedFile &out) { list_macro_line(out, r, true); });
    EXPECT_EQ(text.substr(text.find("\r\n") + 2), "     Label=Totals\r\n"
                                                  "     Positional Parameter #1 -> a\r\n"
                                                  "     Named Parameter #1 -> b    Value=1\r\n"
                                                  "\r\n");
    const std::string summary_only =
        listing([&](BufferedFile &out) { list_macro_line(out, r, false); });
    EXPECT_EQ(summary_only, summary_line(r) + "\r\n");
}

TEST_F(ListingFileTest, BodyIsPrintedWithoutItsEndMarkerInCrLfLines) {
    std::string body(300, 'x');
    body += "\nend";
    body += std::string(143, 'y'); // 446 characters: three chunks of at most 200
    const std::string bytes = std::string(100, '-') + body + "\x01\x01\x01\x02";
    home.write("lib.mac", bytes);
    std::FILE *f = std::fopen(home.path("lib.mac").c_str(), "rb");
    auto r = record("m", 0);
    r.header.body_offset = 100;
    r.header.body_end = static_cast<uint32_t>(bytes.size());
    const std::string text =
        listing([&](BufferedFile &out) { print_macro(out, maclib::LibraryFile(fileno(f)), r); });
    std::fclose(f);
    std::string expected = summary_line(r) + "\r\n\r\n" + std::string(300, 'x') + "\r\nend" +
                           std::string(143, 'y') + "\r\n\r\n";
    EXPECT_EQ(text, expected);
}

} // namespace
} // namespace vornmac
