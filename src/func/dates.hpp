// Calendar arithmetic on day numbers (day 1 is 1 January 1900) and the local time in
// minutes that macro definitions are stamped with.
#pragma once
#include <cstdint>

namespace vornmac {

// Day number + julian_day_offset is the Julian day number of the date.
inline constexpr int32_t julian_day_offset = 2415020;

// Gregorian from 15 October 1582, Julian before. Month and day are not range-checked.
int32_t day_number(int16_t month, int16_t day, int16_t year);
void day_date(int32_t n, int16_t &month, int16_t &day, int16_t &year);

// Local time now as day number * 1440 + hour * 60 + minute; seconds are dropped.
double current_minutes();

// A time in minutes as current_minutes gives it, split into date and time of day.
struct MinutesTime {
    int16_t month = 0;
    int16_t day = 0;
    int16_t year = 0;
    int32_t hour = 0;
    int32_t minute = 0;
};
// False for a time no clock gives (not finite, negative, or past day 10^9), whose
// conversion to integers would not be defined.
bool is_valid_minutes(double minutes);
// `minutes` must be valid.
MinutesTime minutes_time(double minutes);

} // namespace vornmac
