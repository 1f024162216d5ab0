#include "animated/countdown.h"

namespace animated {

namespace {
constexpr std::int64_t kMsPerDay = 86400000;
}

std::int64_t DaysFromCivil(int year, int month, int day) {
    // The classic days-from-civil computation over 400-year eras: exact for every date.
    const std::int64_t y = std::int64_t(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12; // March = 0
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::int64_t DaysLeft(const LocalDateTime& now) {
    // Whole milliseconds, so the boundaries at midnight are exact.
    const std::int64_t target = DaysFromCivil(now.year, 12, 26) * kMsPerDay;
    const std::int64_t current = DaysFromCivil(now.year, now.month, now.day) * kMsPerDay +
                                 std::int64_t(now.hour) * 3600000 + std::int64_t(now.minute) * 60000 +
                                 std::int64_t(now.second) * 1000 + now.millisecond;
    return (target - current) / kMsPerDay; // integer division truncates toward zero
}

CountdownHint ComputeCountdownHint(const LocalDateTime& now) {
    CountdownHint hint;
    hint.daysLeft = DaysLeft(now);
    const char* unit = hint.daysLeft == 1 ? " day" : " days";
    hint.text = std::to_string(hint.daysLeft) + unit + "\r" + "till Vudododoz";
    if (hint.daysLeft == 0)
        hint.text = "Merry Vudododoz!!!";
    hint.hideHint = hint.daysLeft < 0;
    return hint;
}

} // namespace animated
