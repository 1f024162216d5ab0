// BMP reader on small files written by the test.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/image/bmp_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint16_t v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

// A bitmap file with the given header size, colour table and stored rows
// (each row already padded as the file keeps it, in file order).
struct BmpSpec {
    std::int32_t width = 1, height = 1;
    std::uint16_t bpp = 24;
    std::uint32_t headerSize = 40;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> table; // 0x00RRGGBB
    std::vector<Bytes> rows;
};

Bytes Write(const BmpSpec& s)
{
    Bytes b(14 + s.headerSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 14, s.headerSize);
    Put32(b, 18, std::uint32_t(s.width));
    Put32(b, 22, std::uint32_t(s.height));
    Put16(b, 26, 1);
    Put16(b, 28, s.bpp);
    Put32(b, 30, s.compression);
    Put32(b, 46, s.colorsUsed);
    for (std::uint32_t c : s.table)
        for (int i = 0; i < 4; ++i)
            b.push_back(i < 3 ? std::uint8_t(c >> (8 * i)) : 0);
    Put32(b, 10, std::uint32_t(b.size()));
    for (const Bytes& r : s.rows)
        b.insert(b.end(), r.begin(), r.end());
    Put32(b, 2, std::uint32_t(b.size()));
    return b;
}

plat::Bitmap Decode(const Bytes& b) { return plat::DecodeBmp(b.data(), b.size()); }

std::uint32_t Rgb(const plat::Bitmap& bmp, int x, int y)
{
    const std::uint8_t* p = bmp.at(x, y);
    EXPECT_EQ(p[3], 255) << "alpha at " << x << ", " << y;
    return (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

// A 3 x 2 one-bit mask as the trees store it: bottom-up, each row padded to
// four bytes. The padding bits are set to show that they are ignored.
TEST(BmpOneBit, BottomUpRowsWithStridePadding)
{
    BmpSpec s;
    s.width = 3;
    s.height = 2;
    s.bpp = 1;
    s.colorsUsed = 2;
    s.table = {kBlack, kWhite};
    s.rows = {{0b01011111, 0xFF, 0xFF, 0xFF},  // bottom row: black, white, black
              {0b10111111, 0xFF, 0xFF, 0xFF}}; // top row: white, black, white
    plat::Bitmap bmp = Decode(Write(s));
    ASSERT_EQ(bmp.width, 3);
    ASSERT_EQ(bmp.height, 2);
    EXPECT_EQ(Rgb(bmp, 0, 0), kWhite);
    EXPECT_EQ(Rgb(bmp, 1, 0), kBlack);
    EXPECT_EQ(Rgb(bmp, 2, 0), kWhite);
    EXPECT_EQ(Rgb(bmp, 0, 1), kBlack);
    EXPECT_EQ(Rgb(bmp, 1, 1), kWhite);
    EXPECT_EQ(Rgb(bmp, 2, 1), kBlack);
}

// 33 pixels need five bytes, padded to eight; the 33rd pixel sits in the fifth byte.
TEST(BmpOneBit, PixelPastTheFirstFourBytes)
{
    BmpSpec s;
    s.width = 33;
    s.height = 1;
    s.bpp = 1;
    s.table = {kBlack, kWhite};
    s.rows = {{0, 0, 0, 0, 0x80, 0, 0, 0}};
    plat::Bitmap bmp = Decode(Write(s));
    EXPECT_EQ(Rgb(bmp, 31, 0), kBlack);
    EXPECT_EQ(Rgb(bmp, 32, 0), kWhite);
}

TEST(BmpRowOrder, TopDownAndBottomUpGiveTheSamePicture)
{
    BmpSpec s;
    s.width = 1;
    s.height = 3;
    s.bpp = 24;
    Bytes red = {0, 0, 255, 0}, green = {0, 255, 0, 0}, blue = {255, 0, 0, 0};
    s.rows = {blue, green, red}; // bottom-up: red is the top row
    plat::Bitmap up = Decode(Write(s));
    s.height = -3;
    s.rows = {red, green, blue};
    plat::Bitmap down = Decode(Write(s));
    EXPECT_EQ(Rgb(up, 0, 0), 0xFF0000u);
    EXPECT_EQ(Rgb(up, 0, 2), 0x0000FFu);
    EXPECT_EQ(up.pixels, down.pixels);
    EXPECT_EQ(down.height, 3);
}

struct DepthCase {
    const char* name;
    std::uint16_t bpp;
    std::uint32_t colorsUsed;
    std::vector<std::uint32_t> table;
    Bytes row; // one stored row
    std::vector<std::uint32_t> expected;
};

void PrintTo(const DepthCase& c, std::ostream* os) { *os << c.name; }

class BmpDepths : public ::testing::TestWithParam<DepthCase> {};

TEST_P(BmpDepths, DecodeToExpectedColours)
{
    const DepthCase& c = GetParam();
    BmpSpec s;
    s.width = std::int32_t(c.expected.size());
    s.bpp = c.bpp;
    s.colorsUsed = c.colorsUsed;
    s.table = c.table;
    s.rows = {c.row};
    plat::Bitmap bmp = Decode(Write(s));
    for (std::size_t x = 0; x < c.expected.size(); ++x)
        EXPECT_EQ(Rgb(bmp, int(x), 0), c.expected[x]) << "pixel " << x;
}

INSTANTIATE_TEST_SUITE_P(
    Depths, BmpDepths,
    ::testing::Values(
        DepthCase{"four_bit", 4, 3, {0x112233, 0x445566, 0x778899}, {0x12, 0x03, 0, 0}, {0x445566, 0x778899, 0x112233, 0}},
        // Index 5 lies past the three used entries: black.
        DepthCase{"eight_bit", 8, 3, {0x112233, 0x445566, 0x778899}, {2, 0, 5, 0}, {0x778899, 0x112233, 0}},
        DepthCase{"twenty_four_bit", 24, 0, {}, {0x30, 0x20, 0x10, 0xFF, 0xFE, 0xFD, 0, 0}, {0x102030, 0xFDFEFF}},
        // The fourth byte of a 32-bit pixel is not alpha: the output is opaque.
        DepthCase{"thirty_two_bit", 32, 0, {}, {0x30, 0x20, 0x10, 0x00, 1, 2, 3, 0x80}, {0x102030, 0x030201}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpHeaders, LargerInfoHeaderIsAccepted)
{
    BmpSpec s;
    s.headerSize = 124; // BITMAPV5HEADER
    s.rows = {{1, 2, 3, 0}};
    EXPECT_EQ(Rgb(Decode(Write(s)), 0, 0), 0x030201u);
}

TEST(BmpHeaders, BitfieldsWithTheUsualMasks)
{
    BmpSpec s;
    s.headerSize = 108; // BITMAPV4HEADER holds the masks
    s.bpp = 32;
    s.compression = 3;
    s.rows = {{1, 2, 3, 0}};
    Bytes b = Write(s);
    Put32(b, 14 + 40, 0x00FF0000);
    Put32(b, 14 + 44, 0x0000FF00);
    Put32(b, 14 + 48, 0x000000FF);
    EXPECT_EQ(Rgb(Decode(b), 0, 0), 0x030201u);
    Put32(b, 14 + 48, 0x0000FFFF);
    EXPECT_THROW(Decode(b), plat::Error);
}

struct MalformedCase {
    const char* name;
    Bytes (*make)();
    const char* message;
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

class BmpMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(BmpMalformed, IsRejectedWithItsMessage)
{
    Bytes b = GetParam().make();
    try {
        plat::DecodeBmp(b.data(), b.size());
        FAIL() << "accepted";
    } catch (const plat::Error& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
}

Bytes Mask()
{
    BmpSpec s;
    s.width = 3;
    s.height = 2;
    s.bpp = 1;
    s.table = {kBlack, kWhite};
    s.rows = {{0, 0, 0, 0}, {0, 0, 0, 0}};
    return Write(s);
}

Bytes WithField16(std::size_t at, std::uint16_t v)
{
    Bytes b = Mask();
    Put16(b, at, v);
    return b;
}
Bytes WithField32(std::size_t at, std::uint32_t v)
{
    Bytes b = Mask();
    Put32(b, at, v);
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpMalformed,
    ::testing::Values(
        MalformedCase{"empty", [] { return Bytes{}; }, "BMP: not a BMP file (bad signature)"},
        MalformedCase{"signature", [] { Bytes b = Mask(); b[1] = 'A'; return b; }, "BMP: not a BMP file (bad signature)"},
        MalformedCase{"file_header_only", [] { Bytes b = Mask(); b.resize(14); return b; }, "BMP: file is truncated"},
        MalformedCase{"info_header_cut", [] { Bytes b = Mask(); b.resize(30); return b; }, "BMP: file is truncated"},
        MalformedCase{"core_header", [] { return WithField32(14, 12); }, "BMP: OS/2 bitmap headers are not supported"},
        MalformedCase{"header_size", [] { return WithField32(14, 20); }, "BMP: invalid info header size 20"},
        MalformedCase{"zero_width", [] { return WithField32(18, 0); }, "BMP: invalid width 0"},
        MalformedCase{"negative_width", [] { return WithField32(18, 0xFFFFFFFF); }, "BMP: invalid width -1"},
        MalformedCase{"zero_height", [] { return WithField32(22, 0); }, "BMP: invalid height 0"},
        MalformedCase{"most_negative_height", [] { return WithField32(22, 0x80000000u); },
                      "BMP: image of 3 x 2147483648 pixels is larger than allowed"},
        MalformedCase{"planes", [] { return WithField16(26, 2); }, "BMP: invalid number of planes 2"},
        MalformedCase{"sixteen_bit", [] { return WithField16(28, 16); }, "BMP: unsupported bit depth 16"},
        MalformedCase{"rle8", [] { return WithField32(30, 1); },
                      "BMP: compressed bitmaps are not supported (compression 1)"},
        MalformedCase{"too_wide", [] { return WithField32(18, 16385); },
                      "BMP: image of 16385 x 2 pixels is larger than allowed"},
        MalformedCase{"table_cut", [] { Bytes b = Mask(); b.resize(14 + 40 + 6); return b; },
                      "BMP: colour table is truncated"},
        MalformedCase{"pixels_cut", [] { Bytes b = Mask(); b.pop_back(); return b; }, "BMP: pixel data is truncated"},
        MalformedCase{"offset_past_end", [] { return WithField32(10, 100000); }, "BMP: pixel data is truncated"},
        MalformedCase{"offset_inside_header", [] { return WithField32(10, 20); }, "BMP: invalid pixel data offset"},
        // A height the file cannot hold is refused from the sizes, before the bitmap is made.
        MalformedCase{"height_beyond_data", [] { return WithField32(22, 16000); }, "BMP: pixel data is truncated"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
