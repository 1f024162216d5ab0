// The committed still tree, decoded by our own decoder: the pixel facts that the layered
// window depends on (its size, the alpha channel, the transparent margin).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "layered/opacity.h"
#include "layered/premultiply.h"
#include "platform/image/png_decoder.h"

namespace {

plat::PngImage DecodeCommittedTree() {
    const char* root = std::getenv("TREE_SOURCE_DIR");
    std::string path = std::string(root ? root : ".") + "/resources/Fernlight/tree.png";
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) ADD_FAILURE() << "cannot read " << path;
    return plat::DecodePng(bytes.data(), bytes.size());
}

class StillTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() { image_ = new plat::PngImage(DecodeCommittedTree()); }
    static void TearDownTestSuite() { delete image_; }
    static const plat::PngImage& Image() { return *image_; }
    static int Alpha(int x, int y) { return Image().alphaRow(y)[x]; }

private:
    static plat::PngImage* image_;
};
plat::PngImage* StillTree::image_ = nullptr;

TEST_F(StillTree, Is200By250TruecolourWithAlpha) {
    const auto& info = Image().info;
    EXPECT_EQ(info.width, 200u);
    EXPECT_EQ(info.height, 250u);
    EXPECT_EQ(info.colorType, 6);
    EXPECT_EQ(info.bitDepth, 8);
    EXPECT_EQ(info.interlace, 0);
    ASSERT_EQ(Image().alpha.size(), 200u * 250u);
}

TEST_F(StillTree, EveryAlphaValueOccurs) {
    std::array<int, 256> seen{};
    for (std::uint8_t a : Image().alpha) ++seen[a];
    for (int a = 0; a < 256; ++a) EXPECT_GT(seen[size_t(a)], 0) << "alpha " << a;
    // Both the clear ground and the solid tree are large parts of the picture.
    EXPECT_GT(seen[0], 50000 / 5);
    EXPECT_GT(seen[255], 50000 / 5);
}

TEST_F(StillTree, FirstAndLastRowsAndTheMarginsAreClear) {
    const int w = 200, h = 250;
    for (int x = 0; x < w; ++x) {
        EXPECT_EQ(Alpha(x, 0), 0) << "top row, column " << x;
        EXPECT_EQ(Alpha(x, h - 1), 0) << "bottom row, column " << x;
    }
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(Alpha(0, y), 0) << "left column, row " << y;
        EXPECT_EQ(Alpha(w - 1, y), 0) << "right column, row " << y;
    }
}

// The visible tree lies within columns 6 to 193 and rows 19 to 229, and fills nearly all
// of that box, so the window's 200 x 250 keeps a clear margin all round.
TEST_F(StillTree, VisiblePixelsLieWithinColumns6To193AndRows19To229) {
    int left = 200, right = -1, top = 250, bottom = -1;
    for (int y = 0; y < 250; ++y)
        for (int x = 0; x < 200; ++x)
            if (Alpha(x, y) > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_GE(left, 6);
    EXPECT_LE(right, 193);
    EXPECT_GE(top, 19);
    EXPECT_LE(bottom, 229);
    EXPECT_GE(right - left + 1, 180);
    EXPECT_GE(bottom - top + 1, 200);
}

// Under alpha 0 the colours are light, not black: only premultiplication clears them.
TEST_F(StillTree, ClearPixelsHoldLightColoursThatPremultiplicationClears) {
    const auto& bmp = Image().bitmap;
    int clear = 0, dark = 0;
    for (int y = 0; y < 250; ++y) {
        std::vector<std::uint8_t> row(bmp.row(y), bmp.row(y) + bmp.stride());
        for (int x = 0; x < 200; ++x) {
            if (Alpha(x, y) != 0) continue;
            ++clear;
            const std::uint8_t* p = &row[size_t(x) * 4];
            // Pale yellow or white: red and green high, blue at least moderately so.
            if (p[2] < 200 || p[1] < 200 || p[0] < 120) ++dark;
            EXPECT_EQ(p[3], 0);
        }
        layered::PremultiplyAlphaRow(row.data(), 200);
        for (int x = 0; x < 200; ++x) {
            if (Alpha(x, y) != 0) continue;
            for (int k = 0; k < 4; ++k) ASSERT_EQ(row[size_t(x) * 4 + k], 0) << x << "," << y;
        }
    }
    EXPECT_GT(clear, 0);
    EXPECT_EQ(dark, 0) << "of " << clear << " clear pixels";
}

TEST(LayerAlpha, EachLevelTakes22Off) {
    const int expected[layered::kOpacityLevels] = {255, 233, 211, 189, 167, 145, 123, 101, 79, 57};
    for (int level = 0; level < layered::kOpacityLevels; ++level)
        EXPECT_EQ(layered::LayerAlphaForLevel(level), expected[level]) << "level " << level;
}

} // namespace
