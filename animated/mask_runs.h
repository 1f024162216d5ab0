#pragma once
// The white runs of a mask picture: pure white (0xFFFFFF) lies outside the tree,
// every other colour inside. The window outline is the mask's full rectangle minus
// these runs, subtracted in the order they are listed here.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image/bitmap.h"

namespace animated {

struct MaskRect {
    int left, top, right, bottom; // right and bottom lie just outside
    bool operator==(const MaskRect&) const = default;
};

constexpr std::uint32_t kMaskOutside = 0xFFFFFF;

// colourAt(x, y) returns the 0xRRGGBB colour of pixel (x, y), y counted from the top.
// Rows are scanned from the top, each from the left, following runs of equal colour;
// a white run is listed when it ends: at the first pixel of another colour, or for
// the last run of a row at the row's end.
template <class ColourAt>
std::vector<MaskRect> WhiteRuns(int width, int height, ColourAt&& colourAt) {
    std::vector<MaskRect> runs;
    if (width <= 0 || height <= 0)
        return runs;
    for (int y = 0; y < height; ++y) {
        std::uint32_t runColour = colourAt(0, y);
        int length = 0;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colourAt(x, y);
            if (c == runColour) {
                ++length;
                continue;
            }
            if (runColour == kMaskOutside)
                runs.push_back({x - length, y, x, y + 1});
            runColour = c;
            length = 1;
        }
        if (runColour == kMaskOutside)
            runs.push_back({width - length, y, width, y + 1});
    }
    return runs;
}

// 0xRRGGBB of a bitmap pixel; alpha plays no part.
inline std::uint32_t MaskColour(const plat::Bitmap& mask, int x, int y) {
    const std::uint8_t* p = mask.at(x, y);
    return (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

std::vector<MaskRect> WhiteRuns(const plat::Bitmap& mask);

// Number of pixels inside the outline: all that are not pure white.
std::size_t InsidePixelCount(const plat::Bitmap& mask);

} // namespace animated
