#pragma once
// Conversion of unfiltered PNG scanlines to 8-bit BGRA pixels.
#include <cstddef>
#include <cstdint>

namespace plat::png {

// What a row conversion needs besides the samples. Filled once per image.
struct RowContext {
    // BGRA (as bytes in memory) of every index for palette images and of every
    // sample value for greyscale up to 8 bits, tRNS already applied.
    std::uint8_t lut[256][4] = {};
    // The tRNS colour key of greyscale (keyR only) and truecolour images as
    // 16-bit sample values; 0x10000 and above match no pixel.
    std::uint32_t keyR = 0x10000, keyG = 0x10000, keyB = 0x10000;
};

// Converts `width` pixels of one scanline to BGRA. `alpha` receives one byte
// per pixel for colour types 4 and 6 and is not touched otherwise.
using RowConverter = void (*)(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t* alpha,
                              std::size_t width, const RowContext& ctx);

// The converter for a valid colour type and bit depth combination.
RowConverter SelectRowConverter(unsigned colorType, unsigned bitDepth);

// A 16-bit sample rounded to the nearest 8-bit value (v / 257).
inline std::uint8_t Reduce16(unsigned v) { return std::uint8_t((v * 255u + 32895u) >> 16); }

} // namespace plat::png
