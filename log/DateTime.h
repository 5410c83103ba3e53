// Date-time values: days since 30 December 1899 00:00 as a double, the time of
// day as the fraction. No time-zone conversion is ever made.
#pragma once

#include <optional>

namespace quillon {

struct TDateTimeParts {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// The encoded value, or none when the parts are no valid calendar date (years
// 1 to 9999) and time of day.
std::optional<double> EncodeDateTime(const TDateTimeParts& parts);
// The parts of an encoded value, rounded to the nearest second.
TDateTimeParts DecodeDateTime(double value);

} // namespace quillon
