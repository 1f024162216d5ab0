#pragma once
// GIF87a / GIF89a decoder: parses the block structure and decodes every image's
// LZW data into colour indices. Composing frames into pictures is gif_composer.h.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

using GifPalette = std::vector<std::array<std::uint8_t, 3>>; // R, G, B

// Bounds that keep a small file from claiming gigabytes; checked before allocating.
struct GifLimits {
    int maxDimension = 16384;                        // width or height of screen or frame
    std::uint64_t maxPixels = 64ull << 20;           // of the screen or of one frame
    std::size_t maxFrames = 10000;
    std::uint64_t maxTotalFramePixels = 256ull << 20; // sum over all frames' rectangles
    std::uint64_t maxComposedBytes = 1ull << 30;     // what ComposeAll may allocate
};

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0; // may reach past the logical screen
    int disposal = 0;          // 0 none, 1 keep, 2 clear to transparent, 3 restore previous
    int delayCs = 0;           // largest delay of the frame's graphic control extensions
    int transparentIndex = -1; // -1: none
    bool interlaced = false;
    GifPalette localPalette;   // empty: the global table applies
    std::vector<std::uint8_t> indices; // width * height, rows top-down (de-interlaced)
    // Pixels the image data actually delivered, counted in the order they were
    // stored (interlace passes included). Pixels beyond it are not painted.
    std::size_t decodedPixels = 0;

    const GifPalette& Palette(const GifPalette& global) const {
        return localPalette.empty() ? global : localPalette;
    }
};

struct GifFile {
    int screenWidth = 0, screenHeight = 0;
    GifPalette globalPalette; // empty: none
    int backgroundIndex = 0;
    std::vector<GifFrame> frames; // at least one
    bool truncated = false; // the data ended early; only the complete frames are kept
    int loopCount = -1;     // from the looping application extension; -1: none, 0: forever
};

// Throws plat::Error with a message starting "GIF: " when the data is not a usable GIF.
GifFile DecodeGif(const std::uint8_t* data, std::size_t size, const GifLimits& limits = {});

// Row that the n-th stored row of an interlaced image of the given height lands on.
int GifInterlacedRow(int storedRow, int height);

} // namespace plat
