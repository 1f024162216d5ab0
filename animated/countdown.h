#pragma once
// The countdown hint of the animated trees: days left until the end of 25 December.
#include <cstdint>
#include <string>

namespace animated {

// A local date and time as the clock reports it.
struct LocalDateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// 26 December 00:00 of the same year minus `now`, in whole days truncated toward zero.
std::int64_t DaysLeft(const LocalDateTime& now);

struct CountdownHint {
    std::int64_t daysLeft = 0;
    std::string text;      // the hint text, computed also when it is not shown
    bool hideHint = false; // true once the holidays are over: the hint is switched off
};

CountdownHint ComputeCountdownHint(const LocalDateTime& now);

// Days since 1 January 1970 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(int year, int month, int day);

} // namespace animated
