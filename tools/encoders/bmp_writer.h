#pragma once
// Monochrome BMP: 1 bit per pixel, bottom-up rows padded to 4 bytes, a two-entry
// colour table (index 0 black, index 1 white), 96 dots per inch.
#include "tools/encoders/byte_writer.h"

namespace enc {

// white: width * height flags, rows top-down; true stores colour index 1 (white).
Bytes encodeMonoBmp(int width, int height, const std::vector<bool>& white);

} // namespace enc
