#pragma once
// A minimal PNG reader for the expected frames of the GIF suite: non-interlaced,
// 8-bit or lower, any colour type, tRNS honoured. Output is R, G, B, A per pixel.
#include <cstdint>
#include <string>
#include <vector>

namespace giftest {

struct RgbaImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};

// Throws std::runtime_error on anything it does not read.
RgbaImage ReadPngFile(const std::string& path);

} // namespace giftest
