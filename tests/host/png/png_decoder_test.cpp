// Decoder behaviour on small fixtures made by the test encoder.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/error.h"
#include "platform/image/png_decoder.h"
#include "tests/host/png/png_test_encoder.h"

using pngtest::Bytes;

namespace {

struct Bgra {
    int b, g, r, a;
    bool operator==(const Bgra&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Bgra& p)
{
    return os << "B" << p.b << " G" << p.g << " R" << p.r << " A" << p.a;
}

Bgra PixelAt(const plat::PngImage& img, int x, int y)
{
    const std::uint8_t* p = img.bitmap.at(x, y);
    return {p[0], p[1], p[2], p[3]};
}

plat::PngImage Decode(const Bytes& b, const plat::PngLimits& limits = {})
{
    return plat::DecodePng(b.data(), b.size(), limits);
}

// ---- colours of every colour type and bit depth -------------------------------------

struct ColourCase {
    const char* name;
    int colorType, depth;
    std::vector<std::uint32_t> samples; // one row, as many pixels as `expected`
    Bytes plte, trns;
    std::vector<Bgra> expected;
};

void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }

class PngColours : public ::testing::TestWithParam<ColourCase> {};

TEST_P(PngColours, DecodeToExpectedBgra)
{
    const ColourCase& c = GetParam();
    pngtest::Image im;
    im.width = std::uint32_t(c.expected.size());
    im.height = 1;
    im.colorType = c.colorType;
    im.depth = c.depth;
    im.samples = c.samples;
    im.plte = c.plte;
    im.trns = c.trns;
    plat::PngImage img = Decode(pngtest::Encode(im));
    EXPECT_EQ(img.info.colorType, c.colorType);
    EXPECT_EQ(img.info.bitDepth, c.depth);
    ASSERT_EQ(img.bitmap.width, int(c.expected.size()));
    for (std::size_t x = 0; x < c.expected.size(); ++x)
        EXPECT_EQ(PixelAt(img, int(x), 0), c.expected[x]) << "pixel " << x;
    if (c.colorType == 4 || c.colorType == 6) {
        ASSERT_TRUE(img.hasAlphaChannel());
        for (std::size_t x = 0; x < c.expected.size(); ++x)
            EXPECT_EQ(img.alphaRow(0)[x], c.expected[x].a);
    } else {
        EXPECT_FALSE(img.hasAlphaChannel());
        EXPECT_EQ(img.alphaRow(0), nullptr);
    }
}

const Bytes kPalette = {255, 0, 0, /**/ 0, 255, 0, /**/ 0, 0, 255, /**/ 10, 20, 30};

INSTANTIATE_TEST_SUITE_P(
    AllTypes, PngColours,
    ::testing::Values(
        // Odd widths leave a partly used last byte for the small depths.
        ColourCase{"gray1", 0, 1, {0, 1, 1}, {}, {}, {{0, 0, 0, 255}, {255, 255, 255, 255}, {255, 255, 255, 255}}},
        ColourCase{"gray2", 0, 2, {0, 1, 2, 3, 2}, {}, {},
                   {{0, 0, 0, 255}, {85, 85, 85, 255}, {170, 170, 170, 255}, {255, 255, 255, 255}, {170, 170, 170, 255}}},
        ColourCase{"gray4", 0, 4, {0, 5, 15}, {}, {}, {{0, 0, 0, 255}, {85, 85, 85, 255}, {255, 255, 255, 255}}},
        ColourCase{"gray8", 0, 8, {0, 127, 255}, {}, {}, {{0, 0, 0, 255}, {127, 127, 127, 255}, {255, 255, 255, 255}}},
        ColourCase{"gray16", 0, 16, {0x0000, 0x8080, 0xFFFF, 0x1234}, {}, {},
                   {{0, 0, 0, 255}, {128, 128, 128, 255}, {255, 255, 255, 255}, {18, 18, 18, 255}}},
        ColourCase{"gray2_key", 0, 2, {1, 2}, {}, {0, 2}, {{85, 85, 85, 255}, {170, 170, 170, 0}}},
        ColourCase{"gray8_key", 0, 8, {127, 128}, {}, {0, 127}, {{127, 127, 127, 0}, {128, 128, 128, 255}}},
        // The key is compared at full precision, before the reduction to 8 bits.
        ColourCase{"gray16_key", 0, 16, {0x1234, 0x1235}, {}, {0x12, 0x34}, {{18, 18, 18, 0}, {18, 18, 18, 255}}},
        ColourCase{"rgb8", 2, 8, {10, 20, 30, 255, 128, 0}, {}, {}, {{30, 20, 10, 255}, {0, 128, 255, 255}}},
        ColourCase{"rgb8_key", 2, 8, {10, 20, 30, 10, 20, 31}, {}, {0, 10, 0, 20, 0, 30},
                   {{30, 20, 10, 0}, {31, 20, 10, 255}}},
        ColourCase{"rgb16", 2, 16, {0xFFFF, 0x0000, 0x8080}, {}, {}, {{128, 0, 255, 255}}},
        ColourCase{"rgb16_key", 2, 16, {1, 2, 3, 1, 2, 4}, {}, {0, 1, 0, 2, 0, 3}, {{0, 0, 0, 0}, {0, 0, 0, 255}}},
        // Index 4 lies past the four-entry palette: opaque black.
        ColourCase{"palette1", 3, 1, {1, 0, 1}, kPalette, {}, {{0, 255, 0, 255}, {0, 0, 255, 255}, {0, 255, 0, 255}}},
        ColourCase{"palette2", 3, 2, {3, 2, 1}, kPalette, {}, {{30, 20, 10, 255}, {255, 0, 0, 255}, {0, 255, 0, 255}}},
        ColourCase{"palette4", 3, 4, {2, 4, 3}, kPalette, {128}, {{255, 0, 0, 255}, {0, 0, 0, 255}, {30, 20, 10, 255}}},
        ColourCase{"palette8", 3, 8, {0, 1, 2, 3, 200}, kPalette, {128, 0},
                   {{0, 0, 255, 128}, {0, 255, 0, 0}, {255, 0, 0, 255}, {30, 20, 10, 255}, {0, 0, 0, 255}}},
        ColourCase{"grayalpha8", 4, 8, {100, 50, 0, 255}, {}, {}, {{100, 100, 100, 50}, {0, 0, 0, 255}}},
        ColourCase{"grayalpha16", 4, 16, {0xFFFF, 0x0101, 0x0000, 0xFEFF}, {}, {}, {{255, 255, 255, 1}, {0, 0, 0, 254}}},
        ColourCase{"rgba8", 6, 8, {10, 20, 30, 40, 255, 0, 0, 0}, {}, {}, {{30, 20, 10, 40}, {0, 0, 255, 0}}},
        ColourCase{"rgba16", 6, 16, {0x0A0A, 0x1414, 0x1E1E, 0x2828}, {}, {}, {{30, 20, 10, 40}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- filters ---------------------------------------------------------------------------

struct FilterCase {
    const char* name;
    int colorType, depth;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class PngFilters : public ::testing::TestWithParam<FilterCase> {};

// Rows filtered with every filter type in turn must come back as the original
// samples, for every pixel size the unfilter loops are specialised for.
TEST_P(PngFilters, EveryFilterTypeRestoresTheSamples)
{
    const FilterCase& c = GetParam();
    pngtest::Image im;
    im.width = 13;
    im.height = 11;
    im.colorType = c.colorType;
    im.depth = c.depth;
    im.filters = {0, 1, 2, 3, 4, 4, 3, 2, 1};
    std::mt19937 rng(1234);
    unsigned ch = pngtest::ChannelsOf(c.colorType);
    for (std::size_t i = 0; i < std::size_t(im.width) * im.height * ch; ++i)
        im.samples.push_back(rng() & ((1u << c.depth) - 1));
    pngtest::Image plain = im;
    plain.filters = {0};
    plat::PngImage filtered = Decode(pngtest::Encode(im));
    plat::PngImage reference = Decode(pngtest::Encode(plain));
    EXPECT_EQ(filtered.bitmap.pixels, reference.bitmap.pixels);
    EXPECT_EQ(filtered.alpha, reference.alpha);
    // The unfiltered reference itself holds the samples.
    if (c.colorType == 6 && c.depth == 8) {
        EXPECT_EQ(reference.bitmap.at(0, 0)[2], im.samples[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(PixelSizes, PngFilters,
                         ::testing::Values(FilterCase{"gray2", 0, 2}, FilterCase{"gray8", 0, 8},
                                           FilterCase{"grayalpha8", 4, 8}, FilterCase{"rgb8", 2, 8},
                                           FilterCase{"rgba8", 6, 8}, FilterCase{"rgb16", 2, 16},
                                           FilterCase{"rgba16", 6, 16}),
                         [](const auto& info) { return std::string(info.param.name); });

// A 4 x 3 RGBA image with distinct samples.
pngtest::Image SmallRgba()
{
    pngtest::Image im;
    im.width = 4;
    im.height = 3;
    im.colorType = 6;
    for (int i = 0; i < 48; ++i)
        im.samples.push_back(std::uint32_t(i * 5));
    return im;
}

// ---- rows and alpha ---------------------------------------------------------------------

TEST(PngAlphaRows, TopRowIsRowZeroAndBottomRowIsLast)
{
    pngtest::Image im;
    im.width = 3;
    im.height = 4;
    im.colorType = 6;
    for (std::uint32_t y = 0; y < im.height; ++y)
        for (std::uint32_t x = 0; x < im.width; ++x)
            im.samples.insert(im.samples.end(), {x * 10, y * 10, 0, 1 + y * 3 + x});
    plat::PngImage img = Decode(pngtest::Encode(im));
    ASSERT_TRUE(img.hasAlphaChannel());
    EXPECT_EQ(img.alphaRow(0)[0], 1);   // top-left
    EXPECT_EQ(img.alphaRow(3)[2], 12);  // bottom-right
    EXPECT_EQ(img.alphaRow(1)[0], 4);
    EXPECT_EQ(img.bitmap.at(0, 0)[3], 1);
    EXPECT_EQ(img.bitmap.at(2, 3)[3], 12);
    EXPECT_EQ(img.bitmap.at(2, 3)[1], 30); // green carries the row
}

// The image data may be split over any number of IDAT chunks, even empty ones.
TEST(PngChunks, ImageDataSplitOverManyIdatChunks)
{
    pngtest::Image im;
    im.width = 5;
    im.height = 5;
    im.colorType = 2;
    for (int i = 0; i < 75; ++i)
        im.samples.push_back(std::uint32_t(i * 3));
    Bytes z = pngtest::ImageData(im);
    Bytes png = pngtest::Signature();
    pngtest::PutChunk(png, "IHDR", pngtest::Ihdr(5, 5, 8, 2));
    pngtest::PutChunk(png, "IDAT", {});
    for (std::uint8_t b : z)
        pngtest::PutChunk(png, "IDAT", {b});
    pngtest::PutChunk(png, "IEND", {});
    EXPECT_EQ(Decode(png).bitmap.pixels, Decode(pngtest::Encode(im)).bitmap.pixels);
}

// Damage that the decoder tolerates by its documented policies.
TEST(PngTolerated, BadAncillaryCrcAndBytesAfterIendAreIgnored)
{
    Bytes ref = pngtest::Encode(SmallRgba());
    Bytes b = pngtest::Signature();
    pngtest::PutChunk(b, "IHDR", pngtest::Ihdr(4, 3, 8, 6));
    pngtest::PutChunk(b, "tEXt", {'k', 0, 'v'});
    b[b.size() - 1] ^= 0xFF; // the tEXt CRC
    pngtest::PutChunk(b, "IDAT", pngtest::ImageData(SmallRgba()));
    pngtest::PutChunk(b, "IEND", {});
    b.insert(b.end(), {'j', 'u', 'n', 'k'});
    EXPECT_EQ(Decode(b).bitmap.pixels, Decode(ref).bitmap.pixels);
}

// ---- malformed input ----------------------------------------------------------------------

// Builds a file from IHDR fields and the chunks after IHDR.
Bytes Build(const Bytes& ihdr, const std::vector<std::pair<std::string, Bytes>>& chunks)
{
    Bytes png = pngtest::Signature();
    pngtest::PutChunk(png, "IHDR", ihdr);
    for (const auto& [type, data] : chunks)
        pngtest::PutChunk(png, type, data);
    return png;
}

Bytes ValidIdat() { return pngtest::ImageData(SmallRgba()); }
Bytes SmallIhdr() { return pngtest::Ihdr(4, 3, 8, 6); }

struct MalformedCase {
    const char* name;
    Bytes (*make)();
    const char* message; // the whole error text
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

class PngMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(PngMalformed, IsRejectedWithItsMessage)
{
    Bytes b = GetParam().make();
    try {
        Decode(b);
        FAIL() << "accepted";
    } catch (const plat::Error& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
}

Bytes Valid() { return pngtest::Encode(SmallRgba()); }

INSTANTIATE_TEST_SUITE_P(
    Cases, PngMalformed,
    ::testing::Values(
        MalformedCase{"empty", [] { return Bytes{}; }, "PNG: not a PNG file (bad signature)"},
        MalformedCase{"bad_signature", [] { Bytes b = Valid(); b[1] = 'Q'; return b; },
                      "PNG: not a PNG file (bad signature)"},
        MalformedCase{"signature_only", [] { return pngtest::Signature(); }, "PNG: file is truncated (no IEND chunk)"},
        MalformedCase{"truncated_in_header", [] { Bytes b = Valid(); b.resize(8 + 5); return b; },
                      "PNG: file is truncated inside a chunk header"},
        MalformedCase{"truncated_in_idat", [] { Bytes b = Valid(); b.resize(b.size() - 20); return b; },
                      "PNG: chunk 'IDAT' runs past the end of the file"},
        MalformedCase{"no_iend", [] { Bytes b = Valid(); b.resize(b.size() - 12); return b; },
                      "PNG: file is truncated (no IEND chunk)"},
        MalformedCase{"length_past_end", [] { Bytes b = Valid(); b[33 + 1] = 0x10; return b; },
                      "PNG: chunk 'IDAT' runs past the end of the file"},
        MalformedCase{"length_over_2g", [] { Bytes b = Valid(); b[33] = 0x80; return b; },
                      "PNG: chunk 'IDAT' has an invalid length"},
        MalformedCase{"bad_ihdr_crc", [] { Bytes b = Valid(); b[8 + 8 + 13] ^= 1; return b; },
                      "PNG: CRC error in chunk 'IHDR'"},
        MalformedCase{"bad_idat_crc", [] { Bytes b = Valid(); b[8 + 25 + 8] ^= 0x40; return b; },
                      "PNG: CRC error in chunk 'IDAT'"},
        MalformedCase{"ihdr_not_first",
                      [] {
                          Bytes b = pngtest::Signature();
                          pngtest::PutChunk(b, "tEXt", {'a', 0});
                          pngtest::PutChunk(b, "IHDR", SmallIhdr());
                          return b;
                      },
                      "PNG: first chunk is not IHDR"},
        MalformedCase{"second_ihdr", [] { return Build(SmallIhdr(), {{"IHDR", SmallIhdr()}}); },
                      "PNG: more than one IHDR chunk"},
        MalformedCase{"ihdr_length", [] { Bytes h = SmallIhdr(); h.pop_back(); return Build(h, {}); },
                      "PNG: IHDR chunk has length 12, expected 13"},
        MalformedCase{"zero_width", [] { return Build(pngtest::Ihdr(0, 3, 8, 6), {{"IDAT", ValidIdat()}, {"IEND", {}}}); },
                      "PNG: image width and height must not be zero"},
        MalformedCase{"colour_type_5", [] { return Build(pngtest::Ihdr(4, 3, 8, 5), {}); },
                      "PNG: invalid colour type 5"},
        MalformedCase{"depth_4_rgb", [] { return Build(pngtest::Ihdr(4, 3, 4, 2), {}); },
                      "PNG: invalid bit depth 4 for colour type 2"},
        MalformedCase{"depth_16_palette", [] { return Build(pngtest::Ihdr(4, 3, 16, 3), {}); },
                      "PNG: invalid bit depth 16 for colour type 3"},
        MalformedCase{"compression_1", [] { Bytes h = SmallIhdr(); h[10] = 1; return Build(h, {}); },
                      "PNG: unknown compression method 1"},
        MalformedCase{"filter_method_1", [] { Bytes h = SmallIhdr(); h[11] = 1; return Build(h, {}); },
                      "PNG: unknown filter method 1"},
        MalformedCase{"interlace_2", [] { Bytes h = SmallIhdr(); h[12] = 2; return Build(h, {}); },
                      "PNG: unknown interlace method 2"},
        MalformedCase{"no_idat", [] { return Build(SmallIhdr(), {{"tEXt", {'a', 0, 'b'}}, {"IEND", {}}}); },
                      "PNG: no IDAT chunk"},
        MalformedCase{"idat_not_consecutive",
                      [] {
                          Bytes z = ValidIdat();
                          Bytes a(z.begin(), z.begin() + 4), b(z.begin() + 4, z.end());
                          return Build(SmallIhdr(), {{"IDAT", a}, {"tEXt", {'a', 0}}, {"IDAT", b}, {"IEND", {}}});
                      },
                      "PNG: IDAT chunks are not consecutive"},
        MalformedCase{"palette_missing",
                      [] { return Build(pngtest::Ihdr(4, 3, 8, 3), {{"IDAT", ValidIdat()}, {"IEND", {}}}); },
                      "PNG: missing PLTE chunk for a palette image"},
        MalformedCase{"palette_after_idat",
                      [] { return Build(pngtest::Ihdr(4, 3, 8, 2), {{"IDAT", ValidIdat()}, {"PLTE", {1, 2, 3}}, {"IEND", {}}}); },
                      "PNG: PLTE chunk after the image data"},
        MalformedCase{"palette_length",
                      [] { return Build(pngtest::Ihdr(4, 3, 8, 3), {{"PLTE", {1, 2, 3, 4}}}); },
                      "PNG: PLTE chunk has an invalid length"},
        MalformedCase{"palette_in_greyscale",
                      [] { return Build(pngtest::Ihdr(4, 3, 8, 0), {{"PLTE", {1, 2, 3}}}); },
                      "PNG: PLTE chunk in a greyscale image"},
        MalformedCase{"unknown_critical", [] { return Build(SmallIhdr(), {{"ABCD", {}}, {"IEND", {}}}); },
                      "PNG: unknown critical chunk 'ABCD'"},
        MalformedCase{"bad_chunk_type", [] { return Build(SmallIhdr(), {{"ID1T", {}}}); }, "PNG: invalid chunk type"},
        MalformedCase{"iend_with_data", [] { return Build(SmallIhdr(), {{"IDAT", ValidIdat()}, {"IEND", {0}}}); },
                      "PNG: IEND chunk has an invalid length"},
        MalformedCase{"zlib_garbage",
                      [] { return Build(SmallIhdr(), {{"IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF}}, {"IEND", {}}}); },
                      "PNG: corrupt compressed image data (invalid block type)"},
        MalformedCase{"zlib_bad_header", [] { return Build(SmallIhdr(), {{"IDAT", {0x12, 0x34, 0, 0}}, {"IEND", {}}}); },
                      "PNG: corrupt compressed image data (incorrect header check)"},
        MalformedCase{"zlib_bad_checksum",
                      [] {
                          Bytes z = ValidIdat();
                          z.back() ^= 1;
                          return Build(SmallIhdr(), {{"IDAT", z}, {"IEND", {}}});
                      },
                      "PNG: corrupt compressed image data (incorrect data check)"},
        MalformedCase{"zlib_cut_short",
                      [] {
                          Bytes z = ValidIdat();
                          z.resize(z.size() / 2);
                          return Build(SmallIhdr(), {{"IDAT", z}, {"IEND", {}}});
                      },
                      "PNG: image data is truncated"},
        MalformedCase{"zlib_checksum_missing",
                      [] {
                          Bytes z = ValidIdat();
                          z.resize(z.size() - 4);
                          return Build(SmallIhdr(), {{"IDAT", z}, {"IEND", {}}});
                      },
                      "PNG: compressed image data ends early"},
        MalformedCase{"too_little_data",
                      [] {
                          pngtest::Image im = SmallRgba();
                          im.height = 2;
                          im.samples.resize(32);
                          return Build(SmallIhdr(), {{"IDAT", pngtest::ImageData(im)}, {"IEND", {}}});
                      },
                      "PNG: image data is truncated"},
        MalformedCase{"too_much_data",
                      [] {
                          pngtest::Image im = SmallRgba();
                          im.height = 4;
                          im.samples.resize(64);
                          return Build(SmallIhdr(), {{"IDAT", pngtest::ImageData(im)}, {"IEND", {}}});
                      },
                      "PNG: compressed image data is longer than the image"},
        MalformedCase{"filter_type_5",
                      [] {
                          Bytes raw = pngtest::FilterRows(
                              pngtest::PackRows(4, 3, 8, 6, SmallRgba().samples), 4, {0, 5, 0});
                          return Build(SmallIhdr(), {{"IDAT", pngtest::Compress(raw)}, {"IEND", {}}});
                      },
                      "PNG: invalid filter type 5 in row 1"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
