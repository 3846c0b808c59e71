// Day number <-> date conversion and the current time in minutes.
#include "func/dates.hpp"

#include "func/numbers.hpp"
#include "platform/local_time.hpp"

#include <cmath>

namespace vornmac {

int32_t day_number(int16_t month, int16_t day, int16_t year) {
    int32_t m = month;
    int32_t y = year;
    // Count March as the first month so the leap day falls at the end of the year.
    if (m < 3) {
        m += 12;
        y -= 1;
    }
    const double a = int_part((m + 1) * 30.6001);
    double v = std::floor(y * 365.25) + a + day - 723244;
    if (v >= -145068) {
        const double c = std::floor(y * 0.01);
        v = v + 2 - c + std::floor(c * 0.25);
    }
    return static_cast<int32_t>(int_part(v) + 29219);
}

void day_date(int32_t n, int16_t &month, int16_t &day, int16_t &year) {
    // The factors are reciprocals of 365.25 * 100.0025, 365.25 and 30.6001; stored time
    // stamps were computed with these exact multiplications, so dates at the rounding
    // edges must come out the same way.
    const double z = int_part(static_cast<double>(n) + julian_day_offset);
    double a = z;
    if (n >= -145078) {
        const double alpha = std::floor((z - 1867216.25) * 2.7379070069885075e-5);
        a = z + 1 + alpha - std::floor(alpha * 0.25);
    }
    const double b = a + 1524;
    const double c = int_part((b - 122.1) * 0.0027378507871321013);
    const double d = int_part(c * 365.25);
    const double e = int_part((b - d) * 0.03267963176590926);

    const double m = e > 13.5 ? e - 13 : e - 1;
    const double y = m > 2 ? c - 4716 : c - 4715;
    // Through int32_t: every int32_t day number gives a year well within its range, and the
    // narrowing to 16 bits is then well defined.
    day = static_cast<int16_t>(static_cast<int32_t>(int_part(b - int_part(e * 30.6001) - d)));
    month = static_cast<int16_t>(static_cast<int32_t>(m));
    year = static_cast<int16_t>(static_cast<int32_t>(y));
}

bool is_valid_minutes(double minutes) {
    return std::isfinite(minutes) && minutes >= 0 && minutes <= 1e9 * 1440;
}

MinutesTime minutes_time(double minutes) {
    MinutesTime time;
    const auto day = static_cast<int32_t>(minutes / 1440);
    const auto in_day = static_cast<int32_t>(minutes - day * 1440.0);
    day_date(day, time.month, time.day, time.year);
    time.hour = in_day / 60;
    time.minute = in_day % 60;
    return time;
}

double current_minutes() {
    const std::tm now = platform::local_time_now();
    const int32_t days =
        day_number(static_cast<int16_t>(now.tm_mon + 1), static_cast<int16_t>(now.tm_mday),
                   static_cast<int16_t>(now.tm_year + 1900));
    return now.tm_hour * 60.0 + now.tm_min + days * 1440.0;
}

} // namespace vornmac
