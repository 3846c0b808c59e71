// The message file shipped in data/ against the list of numbers the library raises: a
// number without a line would reach users as "Cannot Find Error Number", a line without a
// number is a message nothing can show.
#include "error/error_numbers.hpp"
#include "error/message_file.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace vornmac {
namespace {

std::string shipped_messages() {
    std::ifstream file(SHIPPED_MESSAGE_FILE, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::optional<MessageLine> shipped_message(const std::string &messages, int16_t number) {
    size_t at = 0;
    return find_message(
        [&](char *buffer, int32_t count) {
            const size_t piece = std::min(messages.size() - at, static_cast<size_t>(count));
            std::memcpy(buffer, messages.data() + at, piece);
            at += piece;
            return static_cast<int32_t>(piece);
        },
        number);
}

TEST(ErrorNumbers, EveryRaisedNumberHasItsLineInTheShippedMessageFile) {
    const std::string messages = shipped_messages();
    ASSERT_FALSE(messages.empty()) << SHIPPED_MESSAGE_FILE;
    std::vector<int16_t> missing;
    for (const int16_t number : error::raised_numbers)
        if (!shipped_message(messages, number)) missing.push_back(number);
    EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
    // Hosts and the tool tell the end of a program by this type.
    EXPECT_EQ(shipped_message(messages, error::end_of_input)->type, 4);
}

TEST(ErrorNumbers, EveryLineOfTheShippedMessageFileIsForANumberTheLibraryShows) {
    std::istringstream lines(shipped_messages());
    std::vector<long> unknown;
    long number = 0;
    for (std::string line; std::getline(lines, line);) {
        number = std::strtol(line.c_str(), nullptr, 10);
        const auto is = [number](int16_t known) { return known == number; };
        if (number != 32000 &&
            std::none_of(error::raised_numbers.begin(), error::raised_numbers.end(), is) &&
            std::none_of(error::boxed_numbers.begin(), error::boxed_numbers.end(), is))
            unknown.push_back(number);
    }
    EXPECT_TRUE(unknown.empty()) << ::testing::PrintToString(unknown);
    EXPECT_EQ(number, 32000) << "the closing line ends the search";
}

} // namespace
} // namespace vornmac
