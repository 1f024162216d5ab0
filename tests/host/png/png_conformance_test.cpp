// PngSuite: every valid file decodes to its expected RGBA pixels, every file
// whose name begins with 'x' is rejected.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/image/png_decoder.h"

namespace fs = std::filesystem;

namespace {

fs::path SuiteDir()
{
    // Test discovery runs without the test environment, so the configured
    // folder is compiled in as the fallback.
    const char* env = std::getenv("TREE_SHARED_DIR");
    fs::path shared = env && *env ? fs::path(env) : fs::path(TREE_SHARED_DIR_DEFAULT);
    return shared / "conformance" / "pngsuite";
}

std::vector<std::uint8_t> ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The expected pixels are a flat JSON array of integers.
std::vector<int> ReadJsonArray(const fs::path& p)
{
    std::ifstream in(p);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int> values;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] >= '0' && text[i] <= '9') {
            std::size_t end = i;
            values.push_back(std::stoi(text.substr(i), &end));
            i += end;
        } else {
            ++i;
        }
    }
    return values;
}

std::vector<std::string> SuiteFiles()
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(SuiteDir() / "png", ec))
        if (e.path().extension() == ".png")
            names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool IsCorrupt(const std::string& name) { return name[0] == 'x'; }

class PngSuite : public ::testing::TestWithParam<std::string> {};

TEST(PngSuiteFolder, HoldsValidAndCorruptFiles)
{
    auto names = SuiteFiles();
    ASSERT_FALSE(names.empty()) << "no PNG files in " << SuiteDir();
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), IsCorrupt));
}

TEST_P(PngSuite, DecodesToExpectedPixelsOrRejects)
{
    const std::string name = GetParam();
    auto bytes = ReadFile(SuiteDir() / "png" / (name + ".png"));
    ASSERT_FALSE(bytes.empty());

    if (IsCorrupt(name)) {
        try {
            plat::DecodePng(bytes.data(), bytes.size());
            FAIL() << name << " was accepted";
        } catch (const plat::Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("PNG: ", 0), 0u) << e.what();
        }
        return;
    }

    plat::PngImage img = plat::DecodePng(bytes.data(), bytes.size());
    // 16-bit files are compared with an 8-bit reduction, whose rounding may
    // differ by one: the suite's own where it has one, v / 257 rounded otherwise.
    fs::path to8 = SuiteDir() / "json" / (name + "_to8.json");
    const bool sixteen = img.info.bitDepth == 16;
    std::vector<int> expected = ReadJsonArray(fs::exists(to8) ? to8 : SuiteDir() / "json" / (name + ".json"));
    if (sixteen && !fs::exists(to8))
        for (int& v : expected)
            v = (v + 128) / 257;
    const int tolerance = sixteen ? 1 : 0;

    ASSERT_EQ(expected.size(), std::size_t(img.bitmap.width) * img.bitmap.height * 4);
    EXPECT_EQ(img.bitmap.width, int(img.info.width));
    EXPECT_EQ(img.bitmap.height, int(img.info.height));
    int mismatches = 0;
    for (int y = 0; y < img.bitmap.height && mismatches < 5; ++y) {
        for (int x = 0; x < img.bitmap.width && mismatches < 5; ++x) {
            const std::uint8_t* p = img.bitmap.at(x, y);
            const int* e = &expected[(std::size_t(y) * img.bitmap.width + x) * 4];
            int got[4] = {p[2], p[1], p[0], p[3]}; // RGBA
            for (int k = 0; k < 4; ++k) {
                if (std::abs(got[k] - e[k]) > tolerance) {
                    ADD_FAILURE() << name << " pixel (" << x << ", " << y << ") channel " << "RGBA"[k]
                                  << ": got " << got[k] << ", expected " << e[k];
                    ++mismatches;
                    break;
                }
            }
        }
    }
    if (img.hasAlphaChannel()) {
        ASSERT_EQ(img.alpha.size(), std::size_t(img.bitmap.width) * img.bitmap.height);
        for (int y = 0; y < img.bitmap.height; ++y)
            for (int x = 0; x < img.bitmap.width; ++x)
                ASSERT_EQ(img.alphaRow(y)[x], img.bitmap.at(x, y)[3]) << name << " at " << x << ", " << y;
    } else {
        EXPECT_TRUE(img.alpha.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PngSuite, ::testing::ValuesIn(SuiteFiles()),
                         [](const auto& info) { return info.param; });

} // namespace
