#pragma once
// PNG decoder over a byte span. Decodes every valid PNG (all colour types and
// bit depths, palettes, tRNS, Adam7) into an 8-bit BGRA bitmap and raises
// plat::Error with a "PNG: ..." message for malformed data.
//
// Policies: ancillary chunks with a bad CRC, and misplaced or malformed tRNS
// chunks, are skipped; bytes after IEND are ignored; palette indices past the
// end of PLTE decode as opaque black; the zlib stream must end, checksum
// included, exactly where the image data ends (IDAT bytes after the stream's
// end are ignored, decompressed bytes beyond the image are an error).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image/bitmap.h"

namespace plat {

struct PngInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colorType = 0;  // 0, 2, 3, 4 or 6, as the PNG standard numbers them
    std::uint8_t interlace = 0;  // 0 none, 1 Adam7
};

struct PngImage {
    PngInfo info;
    // 8-bit BGRA, row 0 at the top. tRNS is applied as alpha; 16-bit samples
    // are rounded to 8 bits.
    Bitmap bitmap;
    // width * height 8-bit alpha values, row 0 at the top; filled only for
    // colour types 4 and 6 (the images that carry an alpha channel).
    std::vector<std::uint8_t> alpha;

    bool hasAlphaChannel() const { return info.colorType == 4 || info.colorType == 6; }
    // The alpha of image row y, or nullptr for images without an alpha channel.
    const std::uint8_t* alphaRow(int y) const
    {
        if (alpha.empty())
            return nullptr;
        return alpha.data() + std::size_t(y) * info.width;
    }
};

// Checked against IHDR before anything is allocated.
struct PngLimits {
    std::uint32_t maxWidth = 16384;
    std::uint32_t maxHeight = 16384;
    std::uint64_t maxPixels = 64u << 20;
};

PngImage DecodePng(const std::uint8_t* data, std::size_t size, const PngLimits& limits = {});

} // namespace plat
