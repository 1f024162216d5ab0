#pragma once
// A plain 32-bit bitmap: four bytes per pixel in the order B, G, R, A,
// rows addressed top-down (row 0 is the top of the picture).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 4 bytes

    Bitmap() = default;
    Bitmap(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h) * 4u, 0) {}

    std::size_t stride() const { return std::size_t(width) * 4u; }
    std::uint8_t* row(int y) { return pixels.data() + std::size_t(y) * stride(); }
    const std::uint8_t* row(int y) const { return pixels.data() + std::size_t(y) * stride(); }
    std::uint8_t* at(int x, int y) { return row(y) + std::size_t(x) * 4u; }
    const std::uint8_t* at(int x, int y) const { return row(y) + std::size_t(x) * 4u; }
};

} // namespace plat
