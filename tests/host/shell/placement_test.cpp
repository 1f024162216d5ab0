#include "shell/placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace shell {
namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;

struct BoundCase {
    int stored;
    int expected;
};

class LeftBound : public testing::TestWithParam<BoundCase> {};
TEST_P(LeftBound, PulledBackOnlyBeyondTheBounds) {
    EXPECT_EQ(CorrectLeft(GetParam().stored, kScreenW), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Table, LeftBound,
                         testing::Values(BoundCase{-71, 550}, BoundCase{-70, -70}, BoundCase{-69, -69},
                                         BoundCase{0, 0}, BoundCase{kScreenW - 31, kScreenW - 31},
                                         BoundCase{kScreenW - 30, kScreenW - 30},
                                         BoundCase{kScreenW - 29, 550},
                                         BoundCase{kScreenW + 200, 550},  // a monitor to the right
                                         BoundCase{INT_MIN, 550}, BoundCase{INT_MAX, 550}));

class TopBound : public testing::TestWithParam<BoundCase> {};
TEST_P(TopBound, PulledBackOnlyBeyondTheBounds) {
    EXPECT_EQ(CorrectTop(GetParam().stored, kScreenH), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Table, TopBound,
                         testing::Values(BoundCase{-141, 350}, BoundCase{-140, -140}, BoundCase{-139, -139},
                                         BoundCase{0, 0}, BoundCase{kScreenH - 31, kScreenH - 31},
                                         BoundCase{kScreenH - 30, kScreenH - 30},
                                         BoundCase{kScreenH - 29, 350},
                                         BoundCase{kScreenH + 10, 350},  // a monitor below
                                         BoundCase{INT_MIN, 350}, BoundCase{INT_MAX, 350}));

TEST(Bounds, LeftAndTopAreCorrectedIndependently) {
    // The Left bound is not the Top bound: a value that is fine for one is off for the other.
    EXPECT_EQ(CorrectLeft(-100, kScreenW), 550);
    EXPECT_EQ(CorrectTop(-100, kScreenH), -100);
    EXPECT_EQ(CorrectLeft(1100, kScreenW), 1100);
    EXPECT_EQ(CorrectTop(1100, kScreenH), 350);
    // The screen's own size decides, not the other axis.
    EXPECT_EQ(CorrectLeft(1000, 1030), 1000);
    EXPECT_EQ(CorrectLeft(1000, 1029), 550);
    EXPECT_EQ(CorrectTop(1000, 1030), 1000);
    EXPECT_EQ(CorrectTop(1000, 1029), 350);
}

TEST(FirstRun, RightEdgeFiveInsideTheWorkAreaWidthBottomAtItsHeight) {
    Measures m{1280, 994, kScreenW, kScreenH};  // a taskbar of 30 pixels
    EXPECT_EQ(FirstRunPosition(m, 200, 250), (Position{1075, 744}));
    // The animated trees place with the stored height (219), then take the view's (211).
    EXPECT_EQ(FirstRunPosition(m, 182, 219), (Position{1093, 775}));
    // Larger than the work area: off the top-left, as computed.
    EXPECT_EQ(FirstRunPosition(m, 1400, 1100), (Position{-125, -106}));
}

struct RandomCase {
    int workW, workH, width, height;
    std::vector<int> ranges;  // the ranges the generator is asked for, in order
    Position expected;        // with a generator that answers range - 1
};

class RandomPlacement : public testing::TestWithParam<RandomCase> {};
TEST_P(RandomPlacement, DrawsLeftThenTopBelowTheFreeRanges) {
    const auto& c = GetParam();
    std::vector<int> asked;
    auto random = [&](int range) {
        asked.push_back(range);
        return range - 1;
    };
    Position p = RandomPosition(Measures{c.workW, c.workH, kScreenW, kScreenH}, c.width, c.height, random);
    EXPECT_EQ(asked, c.ranges);
    EXPECT_EQ(p, c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Table, RandomPlacement,
    testing::Values(RandomCase{1280, 994, 200, 250, {1075, 744}, {1074, 743}},
                    // a range of exactly 1 allows only 0
                    RandomCase{206, 251, 200, 250, {1, 1}, {0, 0}},
                    // zero ranges give 0 without asking the generator
                    RandomCase{205, 250, 200, 250, {}, {0, 0}},
                    // negative ranges: the tree is larger than the work area
                    RandomCase{100, 100, 200, 250, {}, {0, 0}},
                    // one axis free, the other not
                    RandomCase{1280, 200, 200, 250, {1075}, {1074, 0}},
                    RandomCase{150, 994, 200, 250, {744}, {0, 743}}));

TEST(RandomBelow, PassesPositiveRangesToTheGenerator) {
    EXPECT_EQ(RandomBelow(7, [](int r) { return r / 2; }), 3);
    EXPECT_EQ(RandomBelow(0, [](int) { return 99; }), 0);
    EXPECT_EQ(RandomBelow(-5, [](int) { return 99; }), 0);
}

} // namespace
} // namespace shell
