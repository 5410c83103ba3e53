#include "DateTime.h"

#include <chrono>
#include <cmath>

namespace quillon {

namespace {

using namespace std::chrono;

// Day 0 of the encoding.
constexpr sys_days Epoch = year{1899} / December / 30;
constexpr int SecondsPerDay = 86400;

} // namespace

std::optional<double> EncodeDateTime(const TDateTimeParts& p) {
    // The calendar types hold small numbers only: the ranges come first.
    if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1 || p.Day > 31)
        return std::nullopt;
    const year_month_day date{year{p.Year}, month{static_cast<unsigned>(p.Month)},
                              day{static_cast<unsigned>(p.Day)}};
    if (!date.ok())
        return std::nullopt;
    if (p.Hour < 0 || p.Hour > 23 || p.Minute < 0 || p.Minute > 59 || p.Second < 0 || p.Second > 59)
        return std::nullopt;
    const auto days = (sys_days{date} - Epoch).count();
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
    const year_month_day date{Epoch + days{static_cast<long long>(whole)}};
    TDateTimeParts parts;
    parts.Year = static_cast<int>(date.year());
    parts.Month = static_cast<int>(static_cast<unsigned>(date.month()));
    parts.Day = static_cast<int>(static_cast<unsigned>(date.day()));
    parts.Hour = static_cast<int>(seconds / 3600);
    parts.Minute = static_cast<int>(seconds / 60 % 60);
    parts.Second = static_cast<int>(seconds % 60);
    return parts;
}

} // namespace quillon
