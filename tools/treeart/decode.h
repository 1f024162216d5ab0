#pragma once
// Readers for the generated files, used to check them after encoding and to draw the
// contact sheets from what a viewer would really show.
#include "tools/encoders/byte_writer.h"
#include "tools/encoders/rgb.h"

#include <string>
#include <vector>

namespace art {

struct GifInfo {
    struct Frame {
        int left = 0, top = 0, width = 0, height = 0;
        int gceCount = 0, disposal = 0, delay = 0;
        bool userInput = false, hasTransparency = false;
        int transparentIndex = 0;
        bool interlaced = false;
        int minCodeSize = 0;
        std::vector<enc::Rgb> localTable;
        std::vector<std::uint8_t> indices;
    };
    std::string version;
    int width = 0, height = 0;
    std::vector<enc::Rgb> globalTable;
    int backgroundIndex = 0, aspect = 0;
    bool loopBeforeFirstFrame = false;
    int loopCount = -1;
    std::vector<std::string> comments;
    bool commentsBeforeFirstFrame = true;
    std::vector<Frame> frames;
    // Composed screens after each frame, 4 bytes per pixel R, G, B, A (A 0 or 255).
    std::vector<std::vector<std::uint8_t>> screens;
};

GifInfo readGif(const enc::Bytes& file); // throws std::runtime_error

struct BmpInfo {
    std::uint32_t fileSize = 0, reserved = 0, offset = 0, headerSize = 0;
    std::int32_t width = 0, height = 0;
    int planes = 0, bitCount = 0;
    std::uint32_t compression = 0, imageSize = 0;
    std::int32_t xppm = 0, yppm = 0;
    std::uint32_t coloursUsed = 0, coloursImportant = 0;
    std::uint32_t table[2] = {0, 0};
    bool paddingZero = true;
    std::vector<bool> white; // rows top-down
};

BmpInfo readMonoBmp(const enc::Bytes& file);

struct PngInfo {
    std::vector<std::string> chunks;
    int width = 0, height = 0, bitDepth = 0, colourType = 0, compression = 0, filter = 0, interlace = 0;
    std::vector<std::uint8_t> rgba;
};

PngInfo readPng(const enc::Bytes& file);

} // namespace art
