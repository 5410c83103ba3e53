#include "DateTime.h"

#include <cmath>

namespace quillon {

namespace {

constexpr long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// Day 0 of the encoding, counted from 1970-01-01.
constexpr long long EpochOffset = DaysFromCivil(1899, 12, 30);
constexpr int SecondsPerDay = 86400;

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : Days[m - 1];
}

} // namespace

std::optional<double> EncodeDateTime(const TDateTimeParts& p) {
    if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1 ||
        p.Day > DaysInMonth(p.Year, p.Month))
        return std::nullopt;
    if (p.Hour < 0 || p.Hour > 23 || p.Minute < 0 || p.Minute > 59 || p.Second < 0 || p.Second > 59)
        return std::nullopt;
    const long long days =
        DaysFromCivil(p.Year, static_cast<unsigned>(p.Month), static_cast<unsigned>(p.Day)) -
        EpochOffset;
    const double time = (p.Hour * 3600 + p.Minute * 60 + p.Second) / double(SecondsPerDay);
    // Before day 0 the fraction counts away from zero, as in the classic encoding.
    return days >= 0 ? double(days) + time : double(days) - time;
}

TDateTimeParts DecodeDateTime(double value) {
    if (!std::isfinite(value))
        return {};
    double whole = std::trunc(value);
    long long seconds = std::llround(std::fabs(value - whole) * SecondsPerDay);
    if (seconds >= SecondsPerDay) {
        seconds -= SecondsPerDay;
        whole += value < 0 ? -1 : 1;
    }
    long long z = static_cast<long long>(whole) + EpochOffset + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    TDateTimeParts parts;
    parts.Year = static_cast<int>(y + (m <= 2));
    parts.Month = static_cast<int>(m);
    parts.Day = static_cast<int>(d);
    parts.Hour = static_cast<int>(seconds / 3600);
    parts.Minute = static_cast<int>(seconds / 60 % 60);
    parts.Second = static_cast<int>(seconds % 60);
    return parts;
}

} // namespace quillon
