// The animations and masks the three trees carry, decoded with the program's own
// decoders: the outline holds only painted pixels in every frame, no displayed pixel is
// pure black, each mask fits its animation, and the outline built from a mask covers
// exactly its black pixels. The mask bits are also counted straight from the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "animated/mask_runs.h"
#include "animated/outline_rects.h"
#include "platform/image/bmp_reader.h"
#include "platform/image/gif_composer.h"
#include "platform/image/gif_decoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadResource(const std::string& relative) {
    const char* root = std::getenv("TREE_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : ".") + "/resources/" + relative, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Tree {
    const char* name;
    int width, height, frames;
};

void PrintTo(const Tree& t, std::ostream* os) { *os << t.name; }

const Tree kTrees[] = {
    {"Glimmerlode", 182, 211, 11},
    {"Quorrisk", 342, 211, 7},
    {"Vudododoz", 190, 225, 50},
};

// Black pixels and maximal white runs, read from the 1-bit rows of the file itself
// (bottom-up, index 0 black, index 1 white).
struct MaskCounts {
    int width = 0, height = 0;
    std::size_t black = 0, whiteRuns = 0;
};

MaskCounts CountMaskBits(const Bytes& bmp) {
    MaskCounts c;
    auto le32 = [&](std::size_t at) {
        return std::uint32_t(bmp.at(at)) | std::uint32_t(bmp.at(at + 1)) << 8 | std::uint32_t(bmp.at(at + 2)) << 16 |
               std::uint32_t(bmp.at(at + 3)) << 24;
    };
    c.width = int(le32(18));
    c.height = int(le32(22));
    const std::size_t offset = le32(10), stride = (std::size_t(c.width) + 31) / 32 * 4;
    for (int row = 0; row < c.height; ++row) {
        bool previousWhite = false;
        for (int x = 0; x < c.width; ++x) {
            const bool white = (bmp.at(offset + std::size_t(row) * stride + std::size_t(x) / 8) >> (7 - x % 8)) & 1;
            c.black += !white;
            c.whiteRuns += white && !previousWhite;
            previousWhite = white;
        }
    }
    return c;
}

class CommittedPictures : public ::testing::TestWithParam<Tree> {
protected:
    void SetUp() override {
        const Tree& t = GetParam();
        gifBytes_ = ReadResource(std::string(t.name) + "/tree.gif");
        maskBytes_ = ReadResource(std::string(t.name) + "/mask.bmp");
        ASSERT_FALSE(gifBytes_.empty());
        ASSERT_FALSE(maskBytes_.empty());
        gif_ = plat::DecodeGif(gifBytes_.data(), gifBytes_.size());
        mask_ = plat::DecodeBmp(maskBytes_.data(), maskBytes_.size());
    }
    Bytes gifBytes_, maskBytes_;
    plat::GifFile gif_;
    plat::Bitmap mask_;
};

TEST_P(CommittedPictures, MaskHasTheAnimationsSize) {
    const Tree& t = GetParam();
    EXPECT_EQ(gif_.screenWidth, t.width);
    EXPECT_EQ(gif_.screenHeight, t.height);
    EXPECT_EQ(gif_.frames.size(), std::size_t(t.frames));
    EXPECT_EQ(mask_.width, gif_.screenWidth);
    EXPECT_EQ(mask_.height, gif_.screenHeight);
}

TEST_P(CommittedPictures, EveryPixelInsideTheOutlineIsPaintedAndNoneShownIsBlack) {
    const std::vector<plat::Bitmap> frames = plat::ComposeAll(gif_);
    ASSERT_EQ(frames.size(), gif_.frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        int unpainted = 0, black = 0;
        for (int y = 0; y < mask_.height; ++y)
            for (int x = 0; x < mask_.width; ++x) {
                if (animated::MaskColour(mask_, x, y) == animated::kMaskOutside) continue;
                const std::uint8_t* p = frames[i].at(x, y);
                if (p[3] != 255) {
                    if (++unpainted <= 3) ADD_FAILURE() << "unpainted inside the outline at " << x << "," << y;
                } else if (p[0] == 0 && p[1] == 0 && p[2] == 0) {
                    if (++black <= 3) ADD_FAILURE() << "pure black at " << x << "," << y;
                }
            }
        EXPECT_EQ(unpainted, 0);
        EXPECT_EQ(black, 0);
    }
}

TEST_P(CommittedPictures, OutlineCoversExactlyTheBlackPixelsOfTheMask) {
    const MaskCounts bits = CountMaskBits(maskBytes_);
    EXPECT_EQ(bits.width, mask_.width);
    EXPECT_EQ(bits.height, mask_.height);

    const auto runs = animated::WhiteRuns(mask_);
    EXPECT_EQ(runs.size(), bits.whiteRuns);
    EXPECT_EQ(animated::InsidePixelCount(mask_), bits.black);

    std::size_t area = 0;
    for (const auto& r : animated::InsideRects(mask_)) {
        area += std::size_t(r.right - r.left) * std::size_t(r.bottom - r.top);
        for (int x = r.left; x < r.right; ++x)
            ASSERT_NE(animated::MaskColour(mask_, x, r.top), animated::kMaskOutside) << x << "," << r.top;
    }
    EXPECT_EQ(area, bits.black);
    std::printf("[ figures  ] %s: %zu black pixels, %zu white runs\n", GetParam().name, bits.black, runs.size());
}

INSTANTIATE_TEST_SUITE_P(Trees, CommittedPictures, ::testing::ValuesIn(kTrees),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
