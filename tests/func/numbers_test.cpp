// Tests of the numeric field reader, its sentinels and the powers-of-ten table.
#include "func/numbers.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

namespace vornmac {
namespace {

struct Case {
    std::string text;
    int16_t format; // 0: the text's length
    int16_t count;
    double value;
};

void expect_reads(const std::vector<Case> &cases) {
    fill_pow10_table();
    for (const Case &c : cases) {
        double value = 0.0;
        const auto length = static_cast<int16_t>(c.text.size());
        EXPECT_EQ(read_number(c.text.c_str(), value, c.format ? c.format : length, 0, length),
                  c.count)
            << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(NumbersTest, SentinelsAndTable) {
    EXPECT_EQ(std::bit_cast<uint64_t>(missing_value), 0xfe6ddd4baa009303ULL);
    fill_pow10_table();
    EXPECT_EQ(pow10_table[0], 1.0);
    EXPECT_EQ(pow10_table[22], 1e22); // still exact after repeated multiplication
    EXPECT_NEAR(pow10_table[99] / 1e99, 1.0, 1e-14);
    EXPECT_EQ(int_part(-2.7), -2.0);
}

TEST(ReadNumberTest, AcceptedFields) {
    expect_reads({{"1,234.50", 8, 8, 1234.5},
                  {"$-12", 0, 4, -12.0},
                  {" 12 ", 0, 4, 12.0},
                  {"+-5", 0, 3, -5.0}, // a later leading sign replaces the earlier one
                  {"12L", 0, 3, 12.0},
                  {"-0.000", 0, 6, 0.0},
                  {"0", 0, 1, 0.0},
                  {"    ", 0, 4, missing_value},
                  {"E5", 0, 2, missing_value},
                  {"1.5e+3", 0, 6, 1500.0},
                  {"7E", 0, 2, 7.0},
                  {"1E25", 0, 4, 1e25},
                  {"-2.5E-300", 0, 9, -2.5e-300},
                  {"000000123456789012", 0, 18, 123456789012.0},
                  {"12345678901234567890", 0, 20, 1.234567890123456789e19},
                  {"9876543210.0123456789", 0, 21, 9876543210.0123456789},
                  {"0." + std::string(200, '0') + "1", 30000, 203, 1e-201}});
}

TEST(ReadNumberTest, LongFractionIsSummedLeftToRight) {
    // The whole part scaled, plus the first nine decimals, plus the rest: grouping the two
    // fraction parts first gives 13.923949697507021, one bit off.
    fill_pow10_table();
    double long_fraction = 0.0;
    double exponent_form = 0.0;
    read_number("13.923949697507019969", long_fraction, 21, 0, 21);
    read_number("1392394969750702E-14", exponent_form, 20, 0, 20);
    EXPECT_EQ(long_fraction, exponent_form);
    EXPECT_EQ(long_fraction, 13.92394969750702);
}

TEST(ReadNumberTest, RejectedFieldsCountTheWholeField) {
    expect_reads({{"1 2", 0, -3, missing_value},
                  {"12X45", 0, -5, missing_value},
                  {"5-", 0, -2, missing_value},
                  {"1$", 0, -2, missing_value},
                  {"1.2,3", 0, -5, missing_value},
                  {"1E5.", 0, -4, missing_value},
                  {"1H", 0, -2, missing_value}});
}

TEST(ReadNumberTest, HighAndLow) {
    expect_reads({{"high", 0, 4, high_value},
                  {" HiGh  ", 0, 7, 1e300},
                  {"-LOW", 0, 4, low_value},
                  {"Lo", 0, -1, missing_value},
                  {"HIG ", 0, -1, missing_value},
                  {"H IGH", 0, -5, missing_value},
                  {"HIGH1", 0, -5, missing_value}});
}

TEST(ReadNumberTest, ImpliedDecimalsOnlyForPlainIntegers) {
    expect_reads({{"125", 302, 3, 1.25},
                  {"-5", 201, 2, -0.5},
                  {"1.25", 402, 4, 1.25},
                  {"125E-2", 602, 6, 1.25},
                  {"125", 300, 3, 125.0},
                  {"12345", 302, 3, 1.23}});
}

TEST(ReadNumberTest, FieldLength) {
    fill_pow10_table();
    double value = 0.0;
    EXPECT_EQ(read_number("123456", value, 6, 10, 13), 3); // end - start is shorter
    EXPECT_EQ(value, 123.0);
    std::string field = "12 junk";
    field.resize(20, ' ');
    EXPECT_EQ(read_number(field.c_str(), value, 20, 0, 20), 3); // 20 wide: stops at blank
    EXPECT_EQ(value, 12.0);
    EXPECT_EQ(read_number(field.c_str(), value, 19, 0, 19), -19);
}

TEST(ReadNumberTest, HugeInputsDoNotOverflow) {
    fill_pow10_table();
    double value = 0.0;
    const std::string digits(320, '9');
    EXPECT_EQ(read_number(digits.c_str(), value, 32000, 0, 320), 320);
    EXPECT_TRUE(std::isinf(value));
    read_number("1E99999999999", value, 13, 0, 13);
    EXPECT_TRUE(std::isinf(value));
    read_number("1E-99999999999", value, 14, 0, 14);
    EXPECT_EQ(value, 0.0);
}

} // namespace
} // namespace vornmac
