// The outline rectangles: in each row the stretches between the white runs, so that
// their union is the mask's rectangle minus the runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animated/outline_rects.h"

namespace {

using animated::MaskRect;

// '#' black, '.' white, 'n' near-white (254, 255, 255).
plat::Bitmap Mask(const std::vector<std::string>& rows) {
    const int h = int(rows.size());
    const int w = h ? int(rows[0].size()) : 0;
    plat::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.at(x, y);
            const char c = rows[y][x];
            p[0] = p[1] = c == '#' ? 0 : 255;
            p[2] = c == '#' ? 0 : c == 'n' ? 254 : 255;
            p[3] = 255;
        }
    return b;
}

struct Case {
    const char* what;
    std::vector<std::string> rows;
    std::vector<MaskRect> inside;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class InsideRects : public ::testing::TestWithParam<Case> {};

TEST_P(InsideRects, AreTheStretchesBetweenWhiteRuns) {
    const Case& c = GetParam();
    EXPECT_EQ(animated::InsideRects(Mask(c.rows)), c.inside);
}

INSTANTIATE_TEST_SUITE_P(Masks, InsideRects, ::testing::Values(
    Case{"all_white", {"...", "..."}, {}},
    Case{"no_white", {"###", "###"}, {{0, 0, 3, 1}, {0, 1, 3, 2}}},
    Case{"full_white_row_between", {"##", "..", "#."}, {{0, 0, 2, 1}, {0, 2, 1, 3}}},
    Case{"leading_and_trailing_white", {"..##.."}, {{2, 0, 4, 1}}},
    Case{"lone_white_pixel", {"#.#"}, {{0, 0, 1, 1}, {2, 0, 3, 1}}},
    Case{"near_white_stays_inside", {".n."}, {{1, 0, 2, 1}}},
    Case{"several_stretches", {"#..#.##"}, {{0, 0, 1, 1}, {3, 0, 4, 1}, {5, 0, 7, 1}}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.what); });

TEST(InsideRectsEmpty, ZeroWidthOrHeightGivesNothing) {
    EXPECT_TRUE(animated::InsideRects(plat::Bitmap(0, 4)).empty());
    EXPECT_TRUE(animated::InsideRects(plat::Bitmap(4, 0)).empty());
}

TEST(InsideRectsCover, TheyTileExactlyThePixelsThatAreNotWhite) {
    // A pseudo-random mask: every pixel lies in exactly one rectangle or is white.
    const int w = 41, h = 19;
    plat::Bitmap mask(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool white = unsigned(x * 7919 + y * 104729 + x * y) % 7 < 4;
            std::uint8_t* p = mask.at(x, y);
            p[0] = p[1] = p[2] = white ? 255 : (x % 3 == 0 ? 254 : 0);
        }
    std::vector<int> cover(std::size_t(w) * h, 0);
    for (const MaskRect& r : animated::InsideRects(mask)) {
        ASSERT_EQ(r.bottom, r.top + 1);
        ASSERT_LT(r.left, r.right);
        for (int x = r.left; x < r.right; ++x) ++cover[std::size_t(r.top) * w + x];
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(cover[std::size_t(y) * w + x], animated::MaskColour(mask, x, y) == 0xFFFFFFu ? 0 : 1)
                << x << "," << y;
}

} // namespace
