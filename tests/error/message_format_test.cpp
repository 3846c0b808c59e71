#include "error/message_format.hpp"

#include <gtest/gtest.h>

namespace vornmac {
namespace {

TEST(MessageFormat, FillsConversionsInOrderByType) {
    EXPECT_EQ(format_message("Cannot Find Error Number -> %d, On Error File -> %s",
                             {2041, "vornmac.msg"}),
              "Cannot Find Error Number -> 2041, On Error File -> vornmac.msg");
    EXPECT_EQ(format_message("%ld Records %c%%", {70000L, 'x'}), "70000 Records x%");
}

TEST(MessageFormat, WidthAndFlagsPad) {
    EXPECT_EQ(format_message("[%5d][%-4s][%05d][%+d]", {42, "ab", -7, 3}),
              "[   42][ab  ][-0007][+3]");
}

TEST(MessageFormat, NeverReadsPastTheArguments) {
    EXPECT_EQ(format_message("a %s b %d c %s", {"x"}), "a x b  c ");
    EXPECT_EQ(format_message("%s", {}), "");
    EXPECT_EQ(format_message("%99999999999d|", {1}).size(), 201u);
}

TEST(MessageFormat, ForeignConversionsAndDanglingPercentStayAsWritten) {
    EXPECT_EQ(format_message("%n %p %x 50%", {1, 2}), "%n %p %x 50%");
}

TEST(MessageFormat, MismatchedTypesAreConverted) {
    EXPECT_EQ(format_message("%s and %d", {12, "34"}), "12 and 34");
}

} // namespace
} // namespace vornmac
