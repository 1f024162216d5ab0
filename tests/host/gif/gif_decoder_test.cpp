#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif_writer.h"
#include "platform/error.h"
#include "platform/image/gif_decoder.h"

namespace {

using giftest::Control;
using giftest::FrameLayout;
using giftest::GifLayout;

std::vector<std::uint8_t> Indices(int w, int h, int colours, int seed = 0) {
    std::vector<std::uint8_t> v(std::size_t(w) * h);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = std::uint8_t((i * 7 + i / 5 + seed) % colours);
    return v;
}

FrameLayout Frame(int left, int top, int w, int h, int colours, int seed = 0) {
    FrameLayout f;
    f.left = left;
    f.top = top;
    f.width = w;
    f.height = h;
    f.indices = Indices(w, h, colours, seed);
    return f;
}

GifLayout ThreeFrames() {
    GifLayout s;
    s.width = 20;
    s.height = 10;
    s.globalPalette = giftest::TestPalette(16);
    s.loopCount = 0;
    for (int i = 0; i < 3; ++i) {
        FrameLayout f = Frame(i, i, 20 - 2 * i, 10 - 2 * i, 16, i);
        f.controls = {{1, 10 * (i + 1), -1}};
        s.frames.push_back(f);
    }
    return s;
}

plat::GifFile Decode(const std::vector<std::uint8_t>& data, const plat::GifLimits& limits = {}) {
    return plat::DecodeGif(data.data(), data.size(), limits);
}

std::string ErrorOf(const std::vector<std::uint8_t>& data, const plat::GifLimits& limits = {}) {
    try {
        Decode(data, limits);
    } catch (const plat::Error& e) {
        return e.what();
    }
    return "";
}

TEST(GifDecode, ReadsScreenFramesAndControls) {
    const GifLayout layout = ThreeFrames();
    const plat::GifFile gif = Decode(giftest::WriteGif(layout));
    EXPECT_EQ(gif.screenWidth, 20);
    EXPECT_EQ(gif.screenHeight, 10);
    EXPECT_EQ(gif.globalPalette.size(), 16u);
    EXPECT_EQ(gif.globalPalette[3], layout.globalPalette[3]);
    EXPECT_EQ(gif.loopCount, 0);
    EXPECT_FALSE(gif.truncated);
    ASSERT_EQ(gif.frames.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const plat::GifFrame& f = gif.frames[i];
        EXPECT_EQ(f.left, i);
        EXPECT_EQ(f.top, i);
        EXPECT_EQ(f.width, 20 - 2 * i);
        EXPECT_EQ(f.height, 10 - 2 * i);
        EXPECT_EQ(f.delayCs, 10 * (i + 1));
        EXPECT_EQ(f.disposal, 1);
        EXPECT_EQ(f.transparentIndex, -1);
        EXPECT_EQ(f.indices, layout.frames[i].indices);
        EXPECT_EQ(f.decodedPixels, f.indices.size());
    }
}

TEST(GifDecode, Gif87aWithoutControlsOrLooping) {
    GifLayout s;
    s.signature = "GIF87a";
    s.width = s.height = 3;
    s.globalPalette = giftest::TestPalette(2);
    s.frames = {Frame(0, 0, 3, 3, 2)};
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    EXPECT_EQ(gif.loopCount, -1);
    ASSERT_EQ(gif.frames.size(), 1u);
    EXPECT_EQ(gif.frames[0].delayCs, 0);
    EXPECT_EQ(gif.frames[0].disposal, 0);
    EXPECT_EQ(gif.frames[0].indices, s.frames[0].indices);
}

TEST(GifDecode, LoopCountOfTheLoopingExtension) {
    GifLayout s = ThreeFrames();
    s.loopCount = 5;
    EXPECT_EQ(Decode(giftest::WriteGif(s)).loopCount, 5);
}

TEST(GifDecode, SeveralControlExtensionsKeepTheLargestDelayAndTheLastSettings) {
    GifLayout s = ThreeFrames();
    s.frames[1].controls = {{2, 5, -1}, {1, 30, 4}, {3, 10, 7}};
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    EXPECT_EQ(gif.frames[1].delayCs, 30);
    EXPECT_EQ(gif.frames[1].disposal, 3);
    EXPECT_EQ(gif.frames[1].transparentIndex, 7);
    // A control applies to the next image only.
    EXPECT_EQ(gif.frames[2].delayCs, 30);
    EXPECT_EQ(gif.frames[2].disposal, 1);
    EXPECT_EQ(gif.frames[2].transparentIndex, -1);
}

TEST(GifDecode, UnknownExtensionsAreSkipped) {
    GifLayout s = ThreeFrames();
    s.unknownExtensions = true;
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_EQ(gif.frames[0].indices, s.frames[0].indices);
    EXPECT_EQ(gif.loopCount, 0);
}

TEST(GifDecode, LocalColourTableBelongsToItsFrame) {
    GifLayout s = ThreeFrames();
    s.frames[1].localPalette = giftest::TestPalette(4);
    s.frames[1].indices = Indices(s.frames[1].width, s.frames[1].height, 4);
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    EXPECT_TRUE(gif.frames[0].localPalette.empty());
    ASSERT_EQ(gif.frames[1].localPalette.size(), 4u);
    EXPECT_EQ(&gif.frames[1].Palette(gif.globalPalette), &gif.frames[1].localPalette);
    EXPECT_EQ(&gif.frames[2].Palette(gif.globalPalette), &gif.globalPalette);
    EXPECT_EQ(gif.frames[1].indices, s.frames[1].indices);
}

TEST(GifDecode, NoGlobalTableWhenEveryFrameHasItsOwn) {
    GifLayout s = ThreeFrames();
    s.globalPalette.clear();
    for (FrameLayout& f : s.frames)
        f.localPalette = giftest::TestPalette(16);
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    EXPECT_TRUE(gif.globalPalette.empty());
    EXPECT_EQ(gif.frames.size(), 3u);
}

TEST(GifDecode, InterlacedRowsComeBackInPictureOrder) {
    for (int h : {1, 2, 3, 4, 5, 8, 9, 11, 17}) {
        SCOPED_TRACE("height " + std::to_string(h));
        GifLayout s;
        s.width = 3;
        s.height = h;
        s.globalPalette = giftest::TestPalette(32);
        FrameLayout f = Frame(0, 0, 3, h, 32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 3; ++x)
                f.indices[std::size_t(y) * 3 + x] = std::uint8_t(y); // each row its own index
        f.interlaced = true;
        s.frames = {f};
        const plat::GifFile gif = Decode(giftest::WriteGif(s));
        EXPECT_TRUE(gif.frames[0].interlaced);
        EXPECT_EQ(gif.frames[0].indices, f.indices);
    }
}

TEST(GifDecode, InterlacedRowMapIsAPermutation) {
    for (int h = 1; h <= 40; ++h) {
        std::vector<int> hits(h, 0);
        for (int s = 0; s < h; ++s) {
            const int y = plat::GifInterlacedRow(s, h);
            ASSERT_GE(y, 0);
            ASSERT_LT(y, h);
            ++hits[y];
        }
        for (int y = 0; y < h; ++y)
            EXPECT_EQ(hits[y], 1) << "height " << h << " row " << y;
    }
}

TEST(GifDecode, EmptyFramesAreKeptWithoutPixels) {
    for (bool interlaced : {false, true}) {
        GifLayout s = ThreeFrames();
        s.frames[1].width = 0;
        s.frames[1].indices.clear();
        s.frames[1].interlaced = interlaced;
        s.frames[2].height = 0;
        s.frames[2].indices.clear();
        const plat::GifFile gif = Decode(giftest::WriteGif(s));
        ASSERT_EQ(gif.frames.size(), 3u);
        EXPECT_TRUE(gif.frames[1].indices.empty());
        EXPECT_TRUE(gif.frames[2].indices.empty());
        EXPECT_EQ(gif.frames[2].delayCs, 30);
    }
}

TEST(GifDecode, ZeroScreenSizeIsTakenFromTheFrames) {
    GifLayout s = ThreeFrames();
    s.width = s.height = 0;
    s.frames[2].left = 30;
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    EXPECT_EQ(gif.screenWidth, 30 + s.frames[2].width);
    EXPECT_EQ(gif.screenHeight, 10);
}

TEST(GifDecode, ShortImageDataKeepsTheFrameWithWhatArrived) {
    GifLayout s = ThreeFrames();
    auto codes = giftest::LzwEncode(s.frames[0].indices, 4);
    codes.resize(codes.size() / 3);
    s.frames[0].rawData = codes;
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_FALSE(gif.truncated);
    EXPECT_GT(gif.frames[0].decodedPixels, 0u);
    EXPECT_LT(gif.frames[0].decodedPixels, 200u);
}

TEST(GifDecode, ExtraImageDataIsIgnored) {
    GifLayout s = ThreeFrames();
    std::vector<std::uint8_t> more = s.frames[0].indices;
    more.insert(more.end(), s.frames[0].indices.begin(), s.frames[0].indices.end());
    s.frames[0].rawData = giftest::LzwEncode(more, 4);
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_EQ(gif.frames[0].indices, s.frames[0].indices);
    EXPECT_EQ(gif.frames[1].indices, s.frames[1].indices);
}

// Offsets just past each frame's block terminator, found by writing the file frame by frame.
std::vector<std::size_t> FrameEnds(const GifLayout& layout) {
    std::vector<std::size_t> ends;
    GifLayout partial = layout;
    partial.trailer = false;
    for (std::size_t n = 1; n <= layout.frames.size(); ++n) {
        partial.frames.assign(layout.frames.begin(), layout.frames.begin() + n);
        ends.push_back(giftest::WriteGif(partial).size());
    }
    return ends;
}

TEST(GifDecode, TruncatedFileKeepsTheCompleteFrames) {
    const GifLayout layout = ThreeFrames();
    const std::vector<std::uint8_t> whole = giftest::WriteGif(layout);
    const std::vector<std::size_t> ends = FrameEnds(layout);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + cut);
        std::size_t complete = 0;
        while (complete < ends.size() && ends[complete] <= cut)
            ++complete;
        if (cut < ends[0] - 1) {
            // Frame 0 may survive only once all of its pixels have arrived.
            try {
                const plat::GifFile gif = Decode(part);
                EXPECT_EQ(gif.frames.size(), 1u);
                EXPECT_EQ(gif.frames[0].indices, layout.frames[0].indices);
                EXPECT_TRUE(gif.truncated);
            } catch (const plat::Error& e) {
                EXPECT_NE(std::string(e.what()).find("GIF: "), std::string::npos);
            }
            continue;
        }
        const plat::GifFile gif = Decode(part);
        EXPECT_TRUE(gif.truncated);
        ASSERT_GE(gif.frames.size(), complete);
        ASSERT_LE(gif.frames.size(), complete + 1);
        for (std::size_t i = 0; i < gif.frames.size(); ++i)
            EXPECT_EQ(gif.frames[i].indices, layout.frames[i].indices) << "frame " << i;
    }
}

TEST(GifDecode, MissingTrailerMarksTheFileTruncated) {
    GifLayout s = ThreeFrames();
    s.trailer = false;
    const plat::GifFile gif = Decode(giftest::WriteGif(s));
    EXPECT_TRUE(gif.truncated);
    EXPECT_EQ(gif.frames.size(), 3u);
}

TEST(GifDecode, GarbageAfterAFrameEndsTheFile) {
    std::vector<std::uint8_t> data = giftest::WriteGif(ThreeFrames());
    const std::vector<std::size_t> ends = FrameEnds(ThreeFrames());
    data.resize(ends[1]);
    data.push_back(0x55);
    data.push_back(0x3B);
    const plat::GifFile gif = Decode(data);
    EXPECT_TRUE(gif.truncated);
    EXPECT_EQ(gif.frames.size(), 2u);
}

struct Malformed {
    const char* what;
    std::vector<std::uint8_t> data;
    std::string message; // part of the error text
};

std::vector<Malformed> MalformedCases() {
    std::vector<Malformed> cases;
    const auto base = [] { return ThreeFrames(); };
    cases.push_back({"empty", {}, "bad signature"});
    cases.push_back({"png signature", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 0}, "bad signature"});
    {
        GifLayout s = base();
        s.signature = "GIF88a";
        cases.push_back({"unknown version", giftest::WriteGif(s), "bad signature"});
    }
    cases.push_back({"header only", {'G', 'I', 'F', '8', '9', 'a', 1, 0}, "truncated"});
    {
        GifLayout s = base();
        s.frames.clear();
        cases.push_back({"no frame", giftest::WriteGif(s), "no frame"});
    }
    for (int mcs : {0, 1, 9, 12}) {
        GifLayout s = base();
        s.frames[0].minCodeSize = mcs;
        s.frames[0].rawData = {0};
        cases.push_back({"min code size", giftest::WriteGif(s), "minimum code size " + std::to_string(mcs)});
    }
    {
        GifLayout s = base();
        s.frames[0].rawData = giftest::PackCodes({{16, 5}, {1, 5}, {30, 5}});
        cases.push_back({"code past table", giftest::WriteGif(s), "code past the table"});
    }
    {
        GifLayout s = base();
        s.globalPalette.clear();
        s.frames[0].minCodeSize = 4;
        cases.push_back({"no colour table", giftest::WriteGif(s), "no colour table"});
    }
    {
        GifLayout s = base();
        s.width = 65535;
        s.height = 65535;
        cases.push_back({"huge screen", giftest::WriteGif(s), "too large"});
    }
    {
        GifLayout s = base();
        s.width = 20000;
        s.height = 1;
        cases.push_back({"screen wider than 16384", giftest::WriteGif(s), "too large"});
    }
    {
        GifLayout s = base();
        s.frames[0].width = 16000;
        s.frames[0].height = 16000; // 256 Mi pixels from a few bytes of data
        s.frames[0].rawData = {0x10, 0x01};
        cases.push_back({"huge frame", giftest::WriteGif(s), "too large"});
    }
    return cases;
}

TEST(GifDecode, MalformedFilesRaiseErrors) {
    for (const Malformed& c : MalformedCases()) {
        SCOPED_TRACE(c.what);
        const std::string error = ErrorOf(c.data);
        EXPECT_EQ(error.rfind("GIF: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(GifDecode, LimitsOnFramesAndTotalPixels) {
    const std::vector<std::uint8_t> data = giftest::WriteGif(ThreeFrames());
    plat::GifLimits frames;
    frames.maxFrames = 2;
    EXPECT_NE(ErrorOf(data, frames).find("more than 2 frames"), std::string::npos);
    plat::GifLimits pixels;
    pixels.maxTotalFramePixels = 300; // 200 + 144 + 96
    EXPECT_NE(ErrorOf(data, pixels).find("pixels"), std::string::npos);
    plat::GifLimits enough;
    enough.maxFrames = 3;
    enough.maxTotalFramePixels = 440;
    EXPECT_EQ(Decode(data, enough).frames.size(), 3u);
}

} // namespace
