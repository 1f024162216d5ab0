#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animated/mask_runs.h"

namespace {

using animated::MaskRect;

// '#' black, '.' white, 'n' near-white (254, 255, 255), 'g' grey.
plat::Bitmap Mask(const std::vector<std::string>& rows) {
    const int h = int(rows.size());
    const int w = h ? int(rows[0].size()) : 0;
    plat::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.at(x, y);
            const char c = rows[y][x];
            const std::uint8_t r = c == '.' ? 255 : c == 'n' ? 254 : c == 'g' ? 128 : 0;
            const std::uint8_t gb = c == '.' || c == 'n' ? 255 : c == 'g' ? 128 : 0;
            p[0] = gb;
            p[1] = gb;
            p[2] = r;
            p[3] = 0; // alpha plays no part
        }
    return b;
}

struct RunCase {
    const char* what;
    std::vector<std::string> rows;
    std::vector<MaskRect> runs; // in the order they are subtracted
    std::size_t inside;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.what; }

class WhiteRuns : public ::testing::TestWithParam<RunCase> {};

TEST_P(WhiteRuns, ListsMaximalWhiteRunsInOrder) {
    const RunCase& c = GetParam();
    const plat::Bitmap mask = Mask(c.rows);
    EXPECT_EQ(animated::WhiteRuns(mask), c.runs);
    EXPECT_EQ(animated::InsidePixelCount(mask), c.inside);
}

INSTANTIATE_TEST_SUITE_P(Masks, WhiteRuns, ::testing::Values(
    RunCase{"all_white", {"...", "..."}, {{0, 0, 3, 1}, {0, 1, 3, 2}}, 0},
    RunCase{"full_white_row", {"#.#", "...", "##."}, {{1, 0, 2, 1}, {0, 1, 3, 2}, {2, 2, 3, 3}}, 4},
    RunCase{"no_white", {"##g", "g#g"}, {}, 6},
    RunCase{"leading_white", {"..##"}, {{0, 0, 2, 1}}, 2},
    RunCase{"trailing_white", {"##.."}, {{2, 0, 4, 1}}, 2},
    RunCase{"lone_white_pixel", {"#.#"}, {{1, 0, 2, 1}}, 2},
    RunCase{"near_white_and_grey_stay_inside", {".n.", "g.."}, {{0, 0, 1, 1}, {2, 0, 3, 1}, {1, 1, 3, 2}}, 2},
    RunCase{"several_runs_in_a_row", {".#..#g."}, {{0, 0, 1, 1}, {2, 0, 4, 1}, {6, 0, 7, 1}}, 3},
    RunCase{"single_pixel_white", {"."}, {{0, 0, 1, 1}}, 0},
    RunCase{"single_pixel_black", {"#"}, {}, 1}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.what); });

TEST(WhiteRunsEmpty, ZeroWidthOrHeightGivesNoRuns) {
    EXPECT_TRUE(animated::WhiteRuns(plat::Bitmap(0, 5)).empty());
    EXPECT_TRUE(animated::WhiteRuns(plat::Bitmap(5, 0)).empty());
    EXPECT_EQ(animated::InsidePixelCount(plat::Bitmap(0, 5)), 0u);
    int calls = 0;
    const auto runs = animated::WhiteRuns(0, 3, [&](int, int) { ++calls; return 0xFFFFFFu; });
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(calls, 0); // no pixel of an empty mask is read
}

TEST(WhiteRunsAccessor, RunsCoverExactlyTheWhitePixels) {
    // A pseudo-random mask read through a callable: the runs tile the white pixels,
    // never overlap, and never touch each other within a row.
    const int w = 37, h = 23;
    auto colour = [](int x, int y) -> std::uint32_t {
        const unsigned v = unsigned(x * 7919 + y * 104729) % 11;
        return v < 5 ? 0xFFFFFFu : v < 9 ? 0x000000u : 0xFFFFFEu;
    };
    const std::vector<MaskRect> runs = animated::WhiteRuns(w, h, colour);
    std::vector<int> cover(std::size_t(w) * h, 0);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const MaskRect& r = runs[i];
        ASSERT_EQ(r.bottom, r.top + 1);
        ASSERT_LT(r.left, r.right);
        if (i > 0) {
            const MaskRect& p = runs[i - 1];
            EXPECT_TRUE(p.top < r.top || (p.top == r.top && p.right < r.left)) << "order or adjacency at " << i;
        }
        for (int x = r.left; x < r.right; ++x)
            ++cover[std::size_t(r.top) * w + x];
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(cover[std::size_t(y) * w + x], colour(x, y) == 0xFFFFFFu ? 1 : 0) << x << "," << y;
}

} // namespace
