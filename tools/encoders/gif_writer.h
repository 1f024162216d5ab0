#pragma once
// GIF89a writer: screen descriptor, optional global table, looping extension, optional
// comment, then for every frame one graphic control extension and one image.
#include "tools/encoders/byte_writer.h"
#include "tools/encoders/rgb.h"

#include <string>
#include <vector>

namespace enc {

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices; // width * height, rows top-down
    int delay = 0;                      // hundredths of a second
    int disposal = 0;
    int transparentIndex = -1;          // -1: none
    std::vector<Rgb> localTable;        // empty: the frame uses the global table
};

struct GifImage {
    int width = 0, height = 0;
    std::vector<Rgb> globalTable; // empty: no global table
    int backgroundIndex = 0;
    int loopCount = 0;            // written as a looping extension; 0 repeats without end
    std::string comment;          // empty: no comment extension
    std::vector<GifFrame> frames;
};

// Tables must hold 2, 4, ... 256 entries; every frame is coded with minimum code size 8.
Bytes encodeGif(const GifImage& image);

} // namespace enc
