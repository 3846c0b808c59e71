// Tests of day numbers, their dates and the current time in minutes.
#include "func/dates.hpp"

#include "platform/local_time.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vornmac {
namespace {

TEST(DatesTest, DayNumbers) {
    EXPECT_EQ(day_number(1, 1, 1900), 1);
    EXPECT_EQ(day_number(12, 31, 1899), 0);
    EXPECT_EQ(day_number(3, 1, 1900), 60); // 1900 has no 29 February
    EXPECT_EQ(day_number(1, 1, 2000) + julian_day_offset, 2451545);
    EXPECT_EQ(day_number(3, 1, 2000) - day_number(2, 28, 2000), 2);
    EXPECT_EQ(day_number(3, 1, 2100) - day_number(2, 28, 2100), 1);
    // Julian 4 October 1582 was followed by Gregorian 15 October.
    EXPECT_EQ(day_number(10, 15, 1582) - day_number(10, 4, 1582), 1);
    EXPECT_EQ(day_number(3, 1, 1500) - day_number(2, 28, 1500), 2); // Julian leap year
}

TEST(DatesTest, EveryDayFromGregorianStartRoundTrips) {
    int16_t month = 0, day = 0, year = 0;
    int16_t prev_month = 10, prev_day = 14, prev_year = 1582;
    for (int32_t n = day_number(10, 15, 1582); n <= day_number(12, 31, 2400); ++n) {
        day_date(n, month, day, year);
        ASSERT_EQ(day_number(month, day, year), n);
        const bool next_day = day == prev_day + 1 && month == prev_month;
        const bool next_month = day == 1 && month == prev_month % 12 + 1;
        ASSERT_TRUE(next_day || next_month) << n;
        ASSERT_EQ(year, prev_year + (month == 1 && day == 1)) << n;
        prev_month = month, prev_day = day, prev_year = year;
    }
    day_date(-1, month, day, year);
    EXPECT_EQ(day, 30);
    EXPECT_EQ(year, 1899);
}

TEST(DatesTest, CurrentMinutesMatchesLocalTime) {
    auto minutes = [](const std::tm &t) {
        return day_number(static_cast<int16_t>(t.tm_mon + 1), static_cast<int16_t>(t.tm_mday),
                          static_cast<int16_t>(t.tm_year + 1900)) *
                   1440.0 +
               t.tm_hour * 60 + t.tm_min;
    };
    const double before = minutes(platform::local_time_now());
    const double now = current_minutes();
    EXPECT_LE(before, now);
    EXPECT_LE(now, minutes(platform::local_time_now()));
}

TEST(DatesTest, MinutesSplitIntoDateAndTimeOfDayOnlyWhenAClockCouldGiveThem) {
    const MinutesTime t = minutes_time(day_number(2, 29, 2024) * 1440.0 + 23 * 60 + 59.9);
    EXPECT_EQ(t.year, 2024);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 29);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59); // parts of a minute are dropped, never rounded up
    EXPECT_TRUE(is_valid_minutes(0));
    EXPECT_TRUE(is_valid_minutes(1e9 * 1440));
    for (const double never : {-1.0, 1e9 * 1440 + 1, 1e300, std::nan(""), HUGE_VAL})
        EXPECT_FALSE(is_valid_minutes(never)) << never;
}

} // namespace
} // namespace vornmac
