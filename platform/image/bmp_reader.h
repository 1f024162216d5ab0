#pragma once
// Reader of uncompressed Windows bitmaps (BITMAPINFOHEADER or a larger
// header): 1, 4, 8, 24 and 32 bits per pixel, colour table, bottom-up and
// top-down rows. Raises plat::Error with a "BMP: ..." message for malformed data.
#include <cstddef>
#include <cstdint>

#include "platform/image/bitmap.h"

namespace plat {

// Checked against the header before anything is allocated.
struct BmpLimits {
    std::uint32_t maxWidth = 16384;
    std::uint32_t maxHeight = 16384;
    std::uint64_t maxPixels = 64u << 20;
};

// BGRA with alpha 255 (the fourth byte of 32-bit pixels is not alpha in
// these files), row 0 at the top. Palette indices past the colour table
// decode as black.
Bitmap DecodeBmp(const std::uint8_t* data, std::size_t size, const BmpLimits& limits = {});

} // namespace plat
