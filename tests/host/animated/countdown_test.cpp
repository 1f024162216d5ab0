#include <gtest/gtest.h>

#include <string>

#include "animated/countdown.h"

namespace {

using animated::LocalDateTime;

struct HintCase {
    const char* what;
    LocalDateTime when;
    std::int64_t daysLeft;
    std::string text;
    bool hide;
};

void PrintTo(const HintCase& c, std::ostream* os) { *os << c.what; }

const std::string kTill = "\rtill Vudododoz";

class Countdown : public ::testing::TestWithParam<HintCase> {};

TEST_P(Countdown, TextAndVisibility) {
    const HintCase& c = GetParam();
    const animated::CountdownHint hint = animated::ComputeCountdownHint(c.when);
    EXPECT_EQ(hint.daysLeft, c.daysLeft);
    EXPECT_EQ(animated::DaysLeft(c.when), c.daysLeft);
    EXPECT_EQ(hint.text, c.text);
    EXPECT_EQ(hint.hideHint, c.hide);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, Countdown, ::testing::Values(
    HintCase{"dec23_noon", {2023, 12, 23, 12, 0, 0, 0}, 2, "2 days" + kTill, false},
    HintCase{"dec24_midnight", {2023, 12, 24, 0, 0, 0, 0}, 2, "2 days" + kTill, false},
    HintCase{"dec24_midnight_plus_1ms", {2023, 12, 24, 0, 0, 0, 1}, 1, "1 day" + kTill, false},
    HintCase{"dec24_noon", {2023, 12, 24, 12, 0, 0, 0}, 1, "1 day" + kTill, false},
    HintCase{"dec25_midnight", {2023, 12, 25, 0, 0, 0, 0}, 1, "1 day" + kTill, false},
    HintCase{"dec25_midnight_plus_1ms", {2023, 12, 25, 0, 0, 0, 1}, 0, "Merry Vudododoz!!!", false},
    HintCase{"dec26_midnight", {2023, 12, 26, 0, 0, 0, 0}, 0, "Merry Vudododoz!!!", false},
    HintCase{"dec26_2359", {2023, 12, 26, 23, 59, 0, 0}, 0, "Merry Vudododoz!!!", false},
    HintCase{"dec26_last_ms", {2023, 12, 26, 23, 59, 59, 999}, 0, "Merry Vudododoz!!!", false},
    HintCase{"dec27_midnight", {2023, 12, 27, 0, 0, 0, 0}, -1, "-1 days" + kTill, true},
    HintCase{"dec29", {2023, 12, 29, 10, 0, 0, 0}, -3, "-3 days" + kTill, true},
    HintCase{"dec31_last_ms", {2023, 12, 31, 23, 59, 59, 999}, -5, "-5 days" + kTill, true},
    HintCase{"jan1_common_year", {2023, 1, 1, 0, 0, 0, 0}, 359, "359 days" + kTill, false},
    HintCase{"jan1_leap_year", {2024, 1, 1, 0, 0, 0, 0}, 360, "360 days" + kTill, false},
    HintCase{"mar1_leap_year", {2024, 3, 1, 0, 0, 0, 0}, 300, "300 days" + kTill, false},
    HintCase{"jan1_year_2000", {2000, 1, 1, 0, 0, 0, 0}, 360, "360 days" + kTill, false},
    HintCase{"jan1_year_1900", {1900, 1, 1, 0, 0, 0, 0}, 359, "359 days" + kTill, false}),
    [](const ::testing::TestParamInfo<HintCase>& info) { return std::string(info.param.what); });

TEST(CountdownCalendar, DaysFromCivilKnownDates) {
    EXPECT_EQ(animated::DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(animated::DaysFromCivil(2000, 3, 1), 11017);
    EXPECT_EQ(animated::DaysFromCivil(1969, 12, 31), -1);
    EXPECT_EQ(animated::DaysFromCivil(2024, 12, 26) - animated::DaysFromCivil(2024, 1, 1), 360);
}

} // namespace
