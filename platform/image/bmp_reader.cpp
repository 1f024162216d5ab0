#include "platform/image/bmp_reader.h"

#include <cstring>
#include <string>

#include "platform/error.h"

namespace plat {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kRgb = 0;       // BI_RGB
constexpr std::uint32_t kBitfields = 3; // BI_BITFIELDS

[[noreturn]] void Fail(const std::string& what) { throw Error("BMP: " + what); }

std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

// 32-bit pixels with BI_BITFIELDS are read only when the masks put the
// channels where BI_RGB has them, as larger headers commonly state.
bool PlainMasks(const std::uint8_t* masks)
{
    return Le32(masks) == 0x00FF0000u && Le32(masks + 4) == 0x0000FF00u && Le32(masks + 8) == 0x000000FFu;
}

void ConvertRow(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t width, unsigned bpp,
                const std::uint8_t (*table)[4])
{
    switch (bpp) {
    case 1:
    case 4: {
        const unsigned perByte = 8 / bpp, mask = (1u << bpp) - 1;
        for (std::uint32_t x = 0; x < width; ++x) {
            unsigned shift = 8 - bpp * (x % perByte + 1);
            std::memcpy(dst + std::size_t(x) * 4, table[(src[x / perByte] >> shift) & mask], 4);
        }
        break;
    }
    case 8:
        for (std::uint32_t x = 0; x < width; ++x)
            std::memcpy(dst + std::size_t(x) * 4, table[src[x]], 4);
        break;
    case 24:
        for (std::uint32_t x = 0; x < width; ++x, src += 3, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = 255;
        }
        break;
    case 32:
        for (std::uint32_t x = 0; x < width; ++x, src += 4, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = 255;
        }
        break;
    }
}

} // namespace

Bitmap DecodeBmp(const std::uint8_t* data, std::size_t size, const BmpLimits& limits)
{
    if (!data || size < 2 || data[0] != 'B' || data[1] != 'M')
        Fail("not a BMP file (bad signature)");
    if (size < kFileHeader + 4)
        Fail("file is truncated");
    const std::uint32_t pixelOffset = Le32(data + 10);
    const std::uint32_t headerSize = Le32(data + 14);
    if (headerSize == 12)
        Fail("OS/2 bitmap headers are not supported");
    if (headerSize < kInfoHeader)
        Fail("invalid info header size " + std::to_string(headerSize));
    if (size - kFileHeader < headerSize)
        Fail("file is truncated");

    const std::uint8_t* h = data + kFileHeader;
    const std::int64_t width = std::int32_t(Le32(h + 4));
    const std::int64_t rawHeight = std::int32_t(Le32(h + 8));
    const unsigned planes = Le16(h + 12);
    const unsigned bpp = Le16(h + 14);
    const std::uint32_t compression = Le32(h + 16);
    const std::uint32_t colorsUsed = Le32(h + 32);

    if (width <= 0)
        Fail("invalid width " + std::to_string(width));
    if (rawHeight == 0)
        Fail("invalid height 0");
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -rawHeight : rawHeight;
    if (planes != 1)
        Fail("invalid number of planes " + std::to_string(planes));
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        Fail("unsupported bit depth " + std::to_string(bpp));

    std::size_t tableStart = kFileHeader + headerSize;
    if (compression == kBitfields && bpp == 32) {
        const std::uint8_t* masks = h + kInfoHeader;
        if (headerSize < kInfoHeader + 12) {
            // With the plain header the three masks follow it.
            if (size - tableStart < 12)
                Fail("file is truncated");
            masks = data + tableStart;
            tableStart += 12;
        }
        if (!PlainMasks(masks))
            Fail("unsupported channel masks");
    } else if (compression != kRgb) {
        Fail("compressed bitmaps are not supported (compression " + std::to_string(compression) + ")");
    }

    if (std::uint64_t(width) > limits.maxWidth || std::uint64_t(height) > limits.maxHeight ||
        std::uint64_t(width) * std::uint64_t(height) > limits.maxPixels)
        Fail("image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is larger than allowed");

    // Colour table: four bytes (blue, green, red, unused) per entry.
    std::uint8_t table[256][4];
    for (auto& e : table) {
        e[0] = e[1] = e[2] = 0;
        e[3] = 255;
    }
    if (bpp <= 8) {
        const std::uint32_t maxEntries = 1u << bpp;
        const std::uint32_t entries = colorsUsed == 0 || colorsUsed > maxEntries ? maxEntries : colorsUsed;
        if (tableStart > size || (size - tableStart) / 4 < entries)
            Fail("colour table is truncated");
        for (std::uint32_t i = 0; i < entries; ++i)
            std::memcpy(table[i], data + tableStart + i * 4, 3);
        tableStart += std::size_t(entries) * 4;
    }

    // Rows are padded to a multiple of four bytes.
    const std::uint64_t stride = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
    if (pixelOffset < kFileHeader + headerSize)
        Fail("invalid pixel data offset");
    if (pixelOffset > size || (size - pixelOffset) / stride < std::uint64_t(height))
        Fail("pixel data is truncated");

    Bitmap out(static_cast<int>(width), static_cast<int>(height));
    const std::uint8_t* pixels = data + pixelOffset;
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t stored = topDown ? y : height - 1 - y;
        ConvertRow(pixels + std::size_t(stored) * std::size_t(stride), out.row(int(y)), std::uint32_t(width), bpp,
                   table);
    }
    return out;
}

} // namespace plat
