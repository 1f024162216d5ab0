#pragma once
// ICO file of 24-bit images, each with its 1-bit AND mask and no colour table.
#include "tools/encoders/byte_writer.h"
#include "tools/encoders/rgb.h"

#include <vector>

namespace enc {

struct IconImage {
    int size = 0;                  // width and height
    std::vector<Rgb> colour;       // size * size, rows top-down
    std::vector<bool> transparent; // size * size; true sets the AND bit
};

Bytes encodeIco(const std::vector<IconImage>& images);

} // namespace enc
