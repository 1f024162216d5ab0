#pragma once
// A small GIF writer for building test files with exactly the features a test needs.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace giftest {

using Rgb = std::array<std::uint8_t, 3>;

struct Control {
    int disposal = 0;
    int delayCs = 0;
    int transparentIndex = -1;
};

struct FrameLayout {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<Control> controls; // graphic control extensions written before the frame
    std::vector<Rgb> localPalette; // size a power of two from 2 to 256, or empty
    bool interlaced = false;
    int minCodeSize = -1;          // -1: derived from the palette size
    std::vector<std::uint8_t> indices; // width * height, rows top-down
    std::vector<std::uint8_t> rawData; // when not empty: written instead of encoding indices
};

struct GifLayout {
    std::string signature = "GIF89a";
    int width = 0, height = 0;
    std::vector<Rgb> globalPalette;
    int backgroundIndex = 0;
    int loopCount = -1; // -1: no looping extension
    std::vector<FrameLayout> frames;
    bool unknownExtensions = false; // a comment, an unknown label and an unknown application block
    bool trailer = true;
};

// LZW codes as GIF stores them, for the given minimum code size.
std::vector<std::uint8_t> LzwEncode(const std::vector<std::uint8_t>& indices, int minCodeSize);
// Packs (code, bit width) pairs least significant bit first.
std::vector<std::uint8_t> PackCodes(const std::vector<std::pair<int, int>>& codes);

std::vector<std::uint8_t> WriteGif(const GifLayout& layout);

// Palette of n entries with distinct colours.
std::vector<Rgb> TestPalette(int n);

} // namespace giftest
