// The public GIF test suite: every animation composes to the frames the suite ships.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/image/gif_composer.h"
#include "platform/image/gif_decoder.h"
#include "png_reader.h"

namespace {

namespace fs = std::filesystem;

struct SuiteCase {
    const char* name;
    std::vector<int> delaysCs; // one per frame, as the suite's generator sets them
    int loopCount;
    bool interlaced;
};

void PrintTo(const SuiteCase& c, std::ostream* os) { *os << c.name; }

// Frame counts follow the frame files of the suite; delays and looping follow its notes
// (a 1 s delay, 0.1 s for the third frame of the variable-delay file, no looping block
// in the "noloop" and static files).
const std::vector<SuiteCase> kSuite = {
    {"static_nontransparent", {0}, -1, false},
    {"static_transparent", {0}, -1, false},
    {"animated_noloop", {100, 100, 100, 100}, -1, false},
    {"animated_loop", {100, 100, 100, 100}, 0, false},
    {"animated_loop_interlaced", {100, 100, 100, 100}, 0, true},
    {"animated_loop_variable_delay", {100, 100, 10, 100}, 0, false},
    {"animated_transparent_loop", {100, 100, 100, 100}, 0, false},
    {"animated_transparent_restoreprev_loop", {100, 100, 100, 100}, 0, false},
    {"animated_transparent_firstframerestoreprev_loop", {100, 100, 100, 100}, 0, false},
    {"animated_transparent_frame_norestore_loop", {100, 100, 100, 100}, 0, false},
    {"animated_transparent_frame_restorebackground_loop", {100, 100, 100, 100}, 0, false},
    {"animated_transparent_frame_restoreprev_loop", {100, 100, 100, 100}, 0, false},
    {"animated_transparent_loop_frames_out_of_bounds", {100, 100, 100, 100}, 0, false},
};

fs::path SuiteDir() {
    const char* shared = std::getenv("TREE_SHARED_DIR");
    return fs::path(shared ? shared : "../shared") / "conformance" / "gif-test-suite" / "gifs";
}

std::vector<std::uint8_t> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path ExpectedFrame(const std::string& name, std::size_t frames, std::size_t i) {
    return SuiteDir() / "frames" / (frames == 1 ? name + ".png" : name + "-" + std::to_string(i) + ".png");
}

class GifSuite : public ::testing::TestWithParam<SuiteCase> {};

TEST_P(GifSuite, ComposesToTheExpectedFrames) {
    const SuiteCase& c = GetParam();
    const std::vector<std::uint8_t> data = ReadFile(SuiteDir() / (std::string(c.name) + ".gif"));
    ASSERT_FALSE(data.empty()) << "suite file missing under " << SuiteDir();

    const plat::GifFile gif = plat::DecodeGif(data.data(), data.size());
    EXPECT_FALSE(gif.truncated);
    EXPECT_EQ(gif.loopCount, c.loopCount);
    ASSERT_EQ(gif.frames.size(), c.delaysCs.size());
    // The suite ships exactly one picture per frame.
    EXPECT_FALSE(fs::exists(ExpectedFrame(c.name, gif.frames.size() + 1, gif.frames.size())));

    const std::vector<plat::Bitmap> frames = plat::ComposeAll(gif);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(gif.frames[i].delayCs, c.delaysCs[i]);
        EXPECT_EQ(gif.frames[i].interlaced, c.interlaced);
        const giftest::RgbaImage want = giftest::ReadPngFile(ExpectedFrame(c.name, frames.size(), i).string());
        const plat::Bitmap& got = frames[i];
        ASSERT_EQ(got.width, want.width);
        ASSERT_EQ(got.height, want.height);
        int mismatches = 0;
        for (int y = 0; y < got.height; ++y) {
            for (int x = 0; x < got.width; ++x) {
                const std::uint8_t* g = got.at(x, y);
                const std::uint8_t* w = &want.rgba[(std::size_t(y) * want.width + x) * 4];
                // The colour under a fully transparent pixel is not part of the picture.
                const bool same = g[3] == w[3] && (w[3] == 0 || (g[2] == w[0] && g[1] == w[1] && g[0] == w[2]));
                if (!same && mismatches++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": got RGBA " << int(g[2]) << ","
                                  << int(g[1]) << "," << int(g[0]) << "," << int(g[3]) << " want "
                                  << int(w[0]) << "," << int(w[1]) << "," << int(w[2]) << "," << int(w[3]);
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Suite, GifSuite, ::testing::ValuesIn(kSuite),
                         [](const ::testing::TestParamInfo<SuiteCase>& info) { return std::string(info.param.name); });

} // namespace

namespace {

TEST(GifSuiteFiles, EveryAnimationOfTheSuiteIsChecked) {
    std::size_t seen = 0;
    for (const auto& entry : fs::directory_iterator(SuiteDir())) {
        if (entry.path().extension() != ".gif")
            continue;
        ++seen;
        const std::string stem = entry.path().stem().string();
        bool listed = false;
        for (const SuiteCase& c : kSuite)
            listed = listed || stem == c.name;
        EXPECT_TRUE(listed) << stem << " is not in the table";
    }
    EXPECT_EQ(seen, kSuite.size());
}

} // namespace
