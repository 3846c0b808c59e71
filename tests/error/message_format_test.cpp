#include "error/message_format.hpp"

#include <gtest/gtest.h>

#include <cstdarg>

namespace vornmac {
namespace {

// The library's own arguments: each conversion takes the next one, converted to its type.
TEST(MessageFormat, StandardConversionsFlagsWidthPrecisionAndLength) {
    EXPECT_EQ(format_message("%ld Records %c%%", {70000L, 'x'}), "70000 Records x%");
    EXPECT_EQ(format_message("[%5d][%-4s][%05d][%+d]", {42, "ab", -7, 3}),
              "[   42][ab  ][-0007][+3]");
    EXPECT_EQ(format_message("%u|%x|%X|%o|%#x|%#o|%#X", {-1, 255, 255, 8, 255, 8, 0}),
              "4294967295|ff|FF|10|0xff|010|0");
    EXPECT_EQ(
        format_message("[% d][%+i][%.3d][%8.3d][%-6.2d][%.0d][%05x]", {7, 7, 7, -7, 7, 0, 26}),
        "[ 7][+7][007][    -007][07    ][][0001a]");
    EXPECT_EQ(format_message("%hd|%hu|%ld|%d", {70000, -1, 123, 4294967297L}), "4464|65535|123|1");
    EXPECT_EQ(format_message("[%.3s][%-8s][%8.2s][%3c]", {"abcdef", "ab", "xyz", 'q'}),
              "[abc][ab      ][      xy][  q]");
    EXPECT_EQ(
        format_message("[%*d][%-*d][%*d][%.*s][%.*s]", {5, 42, 4, 1, -3, 9, 2, "abc", -1, "ab"}),
        "[   42][1   ][9  ][ab][ab]");
    EXPECT_EQ(format_message("%s and %d", {12, "34"}), "12 and 34");
}

// Missing arguments give nothing; conversions of other kinds and a dangling % stay as written.
TEST(MessageFormat, NeverReadsPastTheArguments) {
    EXPECT_EQ(format_message("a %s b %d c %s", {"x"}), "a x b  c ");
    EXPECT_EQ(format_message("%s", {}), "");
    EXPECT_EQ(format_message("[%*d]", {5}), "[]");
    EXPECT_EQ(format_message("%99999999999d|", {1}).size(), 201u);
    EXPECT_EQ(format_message("%n %p %f %lld %*f 50%", {1, 2}), "%n %p %f %lld %*f 50%");
}

// A host's call_errorproc path: the arguments come from a va_list.
std::string host_format(const char *format, ...) {
    va_list args;
    va_start(args, format);
    const std::vector<ErrorArg> taken = args_from_va_list(format, args);
    va_end(args);
    return format_message(format, taken);
}

// Each conversion takes its own type; a text is read no further than the precision.
TEST(MessageFormat, HostArgumentsAreTakenByEachConversion) {
    EXPECT_EQ(host_format("%u|%x|%s", -1, 255, "tail"), "4294967295|ff|tail");
    EXPECT_EQ(host_format("%5d|%.3s|%-8s|% d|%hd|%*d|%ld|%o|%c|%s", 42, "abcdef", "ab", 7, 70000, 6,
                          3, 123, 8, 'z', "end"),
              "   42|abc|ab      | 7|4464|     3|123|10|z|end");
    EXPECT_EQ(host_format("%.*s|%s", 2, "xyz", "after"), "xy|after");
    EXPECT_EQ(host_format("%f %p %s", "only"), "%f %p only"); // unknown ones take nothing
    const char unterminated[3] = {'a', 'b', 'c'};
    EXPECT_EQ(host_format("%.3s|%d", unterminated, 5), "abc|5");
    EXPECT_EQ(host_format("%s|%d", static_cast<const char *>(nullptr), 5), "|5");
}

} // namespace
} // namespace vornmac
