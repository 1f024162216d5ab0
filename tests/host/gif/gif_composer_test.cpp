#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gif_writer.h"
#include "platform/error.h"
#include "platform/image/gif_composer.h"

namespace {

using giftest::FrameLayout;
using giftest::GifLayout;
using giftest::Rgb;
using Rgba = std::array<int, 4>;

constexpr Rgb kRed{200, 10, 10}, kGreen{10, 200, 10}, kBlue{10, 10, 200}, kGrey{90, 90, 90};
constexpr Rgba kNone{0, 0, 0, 0};

Rgba Opaque(Rgb c) { return {c[0], c[1], c[2], 255}; }

Rgba Px(const plat::Bitmap& b, int x, int y) {
    const std::uint8_t* p = b.at(x, y);
    return {p[2], p[1], p[0], p[3]};
}

// Palette: 0 red, 1 green, 2 blue, 3 grey.
FrameLayout Solid(int left, int top, int w, int h, std::uint8_t index, int disposal = 0, int transparent = -1) {
    FrameLayout f;
    f.left = left;
    f.top = top;
    f.width = w;
    f.height = h;
    f.indices.assign(std::size_t(w) * h, index);
    f.controls = {{disposal, 10, transparent}};
    return f;
}

GifLayout Screen(int w, int h) {
    GifLayout s;
    s.width = w;
    s.height = h;
    s.globalPalette = {kRed, kGreen, kBlue, kGrey};
    return s;
}

std::vector<plat::Bitmap> Compose(const GifLayout& s) {
    const std::vector<std::uint8_t> data = giftest::WriteGif(s);
    return plat::ComposeAll(plat::DecodeGif(data.data(), data.size()));
}

struct DisposalCase {
    int disposal;
    Rgba underFrame1;  // at a pixel that frame 1 covered, after frame 2 is drawn
    Rgba firstFrameArea; // the same when frame 0 was only partly drawn there (see below)
};

void PrintTo(const DisposalCase& c, std::ostream* os) { *os << "disposal " << c.disposal; }

class Disposal : public ::testing::TestWithParam<DisposalCase> {};

// Frame 0 paints the left half red; frame 1 paints a green 2 x 2 at (1, 1) with the
// method under test; frame 2 paints one blue pixel at (5, 5).
TEST_P(Disposal, AppliesBeforeTheNextFrame) {
    const DisposalCase& c = GetParam();
    GifLayout s = Screen(6, 6);
    s.frames = {Solid(0, 0, 2, 6, 0, 1), Solid(1, 1, 2, 2, 1, c.disposal), Solid(5, 5, 1, 1, 2)};
    const std::vector<plat::Bitmap> f = Compose(s);
    ASSERT_EQ(f.size(), 3u);
    // Frame 1 as shown: green on top of red.
    EXPECT_EQ(Px(f[1], 1, 1), Opaque(kGreen));
    EXPECT_EQ(Px(f[1], 2, 2), Opaque(kGreen));
    EXPECT_EQ(Px(f[1], 0, 1), Opaque(kRed));
    // After disposal: (1, 1) lay on red, (2, 2) on nothing.
    EXPECT_EQ(Px(f[2], 1, 1), c.underFrame1);
    EXPECT_EQ(Px(f[2], 2, 2), c.firstFrameArea);
    EXPECT_EQ(Px(f[2], 5, 5), Opaque(kBlue));
    EXPECT_EQ(Px(f[2], 0, 0), Opaque(kRed));
    EXPECT_EQ(Px(f[2], 4, 0), kNone);
}

INSTANTIATE_TEST_SUITE_P(Methods, Disposal, ::testing::Values(
    DisposalCase{0, Opaque(kGreen), Opaque(kGreen)},   // no method given: left in place
    DisposalCase{1, Opaque(kGreen), Opaque(kGreen)},   // do not dispose
    DisposalCase{2, kNone, kNone},                     // cleared to transparent
    DisposalCase{3, Opaque(kRed), kNone},              // what was there before
    DisposalCase{5, Opaque(kGreen), Opaque(kGreen)}),  // undefined methods act as none
    [](const ::testing::TestParamInfo<DisposalCase>& info) { return "method" + std::to_string(info.param.disposal); });

TEST(GifCompose, RestorePreviousOnTheFirstFrameGoesBackToNothing) {
    GifLayout s = Screen(4, 4);
    s.frames = {Solid(0, 0, 4, 4, 0, 3), Solid(0, 0, 1, 1, 1, 3)};
    const auto f = Compose(s);
    EXPECT_EQ(Px(f[0], 2, 2), Opaque(kRed));
    EXPECT_EQ(Px(f[1], 2, 2), kNone);
    EXPECT_EQ(Px(f[1], 0, 0), Opaque(kGreen));
}

TEST(GifCompose, ConsecutiveRestorePreviousFramesStackCorrectly) {
    GifLayout s = Screen(4, 1);
    s.frames = {Solid(0, 0, 4, 1, 0, 1), Solid(0, 0, 2, 1, 1, 3), Solid(1, 0, 2, 1, 2, 3), Solid(3, 0, 1, 1, 3)};
    const auto f = Compose(s);
    // Frame 2 sees frame 1 removed; frame 3 sees frame 2 removed, i.e. red again.
    EXPECT_EQ(Px(f[2], 0, 0), Opaque(kRed));
    EXPECT_EQ(Px(f[2], 1, 0), Opaque(kBlue));
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(Px(f[3], x, 0), Opaque(kRed)) << x;
    EXPECT_EQ(Px(f[3], 3, 0), Opaque(kGrey));
}

TEST(GifCompose, TransparentIndexShowsWhatLiesBeneath) {
    GifLayout s = Screen(3, 1);
    FrameLayout top = Solid(0, 0, 3, 1, 1, 1, 3);
    top.indices = {3, 1, 3};
    s.frames = {Solid(0, 0, 2, 1, 0, 1), top};
    const auto f = Compose(s);
    EXPECT_EQ(Px(f[1], 0, 0), Opaque(kRed));
    EXPECT_EQ(Px(f[1], 1, 0), Opaque(kGreen));
    EXPECT_EQ(Px(f[1], 2, 0), kNone);
}

TEST(GifCompose, TransparencyOnTheFirstFrameLeavesAlphaZero) {
    GifLayout s = Screen(2, 1);
    FrameLayout only = Solid(0, 0, 2, 1, 2, 0, 2);
    only.indices = {2, 0};
    s.frames = {only};
    const auto f = Compose(s);
    EXPECT_EQ(Px(f[0], 0, 0), kNone);
    EXPECT_EQ(Px(f[0], 1, 0), Opaque(kRed));
}

TEST(GifCompose, LocalTableColoursItsFrameOnly) {
    GifLayout s = Screen(2, 1);
    FrameLayout local = Solid(1, 0, 1, 1, 1);
    local.localPalette = {kGrey, kBlue};
    s.frames = {Solid(0, 0, 1, 1, 1), local, Solid(0, 0, 1, 1, 2)};
    const auto f = Compose(s);
    EXPECT_EQ(Px(f[1], 0, 0), Opaque(kGreen));
    EXPECT_EQ(Px(f[1], 1, 0), Opaque(kBlue));
    EXPECT_EQ(Px(f[2], 0, 0), Opaque(kBlue)); // global index 2
}

TEST(GifCompose, IndexPastTheColourTableIsNotPainted) {
    GifLayout s;
    s.width = 2;
    s.height = 1;
    s.globalPalette = {kRed, kGreen}; // two entries, codes can still say 2 or 3
    FrameLayout f = Solid(0, 0, 2, 1, 0);
    f.indices = {1, 3};
    s.frames = {f};
    const auto out = Compose(s);
    EXPECT_EQ(Px(out[0], 0, 0), Opaque(kGreen));
    EXPECT_EQ(Px(out[0], 1, 0), kNone);
}

TEST(GifCompose, FramesReachingPastTheScreenAreClipped) {
    GifLayout s = Screen(4, 4);
    s.frames = {Solid(3, 2, 3, 4, 1, 2), Solid(10, 10, 5, 5, 2), Solid(0, 0, 1, 1, 3)};
    const auto f = Compose(s);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Px(f[0], x, y), x == 3 && y >= 2 ? Opaque(kGreen) : kNone) << x << "," << y;
    EXPECT_EQ(Px(f[1], 3, 3), kNone); // cleared by disposal 2, clipped the same way
    EXPECT_EQ(Px(f[2], 0, 0), Opaque(kGrey));
}

TEST(GifCompose, InterlacedFrameLandsInPictureOrder) {
    GifLayout s = Screen(1, 5);
    FrameLayout f = Solid(0, 0, 1, 5, 0);
    f.indices = {0, 1, 2, 3, 0};
    f.interlaced = true;
    s.frames = {f};
    const auto out = Compose(s);
    EXPECT_EQ(Px(out[0], 0, 1), Opaque(kGreen));
    EXPECT_EQ(Px(out[0], 0, 2), Opaque(kBlue));
    EXPECT_EQ(Px(out[0], 0, 3), Opaque(kGrey));
}

TEST(GifCompose, PixelsTheDataDidNotDeliverAreNotPainted) {
    GifLayout s = Screen(4, 4);
    FrameLayout under = Solid(0, 0, 4, 4, 0);
    FrameLayout shortFrame = Solid(0, 0, 4, 4, 1);
    // min code size 2: clear, five literals, end: only five of sixteen pixels.
    shortFrame.rawData = giftest::PackCodes({{4, 3}, {1, 3}, {1, 3}, {1, 3}, {1, 4}, {1, 4}, {5, 4}});
    s.frames = {under, shortFrame};
    const auto f = Compose(s);
    EXPECT_EQ(Px(f[1], 3, 0), Opaque(kGreen));
    EXPECT_EQ(Px(f[1], 0, 1), Opaque(kGreen));
    EXPECT_EQ(Px(f[1], 1, 1), Opaque(kRed));
    EXPECT_EQ(Px(f[1], 3, 3), Opaque(kRed));
}

TEST(GifCompose, ShortInterlacedFramePaintsTheRowsOfTheFirstPasses) {
    GifLayout s = Screen(1, 8);
    FrameLayout f = Solid(0, 0, 1, 8, 1);
    f.interlaced = true;
    // Two pixels arrive: the first row of pass 1 (row 0) and of pass 2 (row 4).
    f.rawData = giftest::PackCodes({{4, 3}, {1, 3}, {2, 3}, {5, 3}});
    s.frames = {f};
    const auto out = Compose(s);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(Px(out[0], 0, y), y == 0 ? Opaque(kGreen) : y == 4 ? Opaque(kBlue) : kNone) << y;
}

TEST(GifCompose, ComposerFollowsOrderRestartsAndReplaysJumps) {
    GifLayout s = Screen(3, 1);
    s.frames = {Solid(0, 0, 1, 1, 0, 1), Solid(1, 0, 1, 1, 1, 2), Solid(2, 0, 1, 1, 2, 1)};
    const std::vector<std::uint8_t> data = giftest::WriteGif(s);
    const plat::GifFile gif = plat::DecodeGif(data.data(), data.size());
    const std::vector<plat::Bitmap> all = plat::ComposeAll(gif);

    plat::GifComposer c(gif);
    for (int round = 0; round < 2; ++round) // after the last frame, frame 0 starts over
        for (std::size_t i = 0; i < 3; ++i) {
            c.Compose(i);
            EXPECT_EQ(c.Canvas().pixels, all[i].pixels) << "round " << round << " frame " << i;
        }
    c.Compose(0);
    c.Compose(2); // a jump replays frame 1 and its disposal
    EXPECT_EQ(c.Canvas().pixels, all[2].pixels);
    c.Compose(1); // going back replays from the start
    EXPECT_EQ(c.Canvas().pixels, all[1].pixels);
    c.Reset();
    EXPECT_EQ(Px(c.Canvas(), 0, 0), kNone);
    EXPECT_THROW(c.Compose(3), plat::Error);
}

TEST(GifCompose, ComposeAllRefusesMoreMemoryThanTheLimit) {
    GifLayout s = Screen(100, 100);
    s.frames = {Solid(0, 0, 1, 1, 0), Solid(0, 0, 1, 1, 1)};
    const std::vector<std::uint8_t> data = giftest::WriteGif(s);
    const plat::GifFile gif = plat::DecodeGif(data.data(), data.size());
    plat::GifLimits limits;
    limits.maxComposedBytes = 2 * 100 * 100 * 4 - 1;
    EXPECT_THROW(plat::ComposeAll(gif, limits), plat::Error);
    limits.maxComposedBytes += 1;
    EXPECT_EQ(plat::ComposeAll(gif, limits).size(), 2u);
}

} // namespace
