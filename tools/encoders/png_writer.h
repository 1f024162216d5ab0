#pragma once
// PNG writer for 8-bit RGBA pictures: IHDR, then the text chunks in the given order,
// one IDAT with the whole zlib stream, IEND.
#include "tools/encoders/byte_writer.h"

#include <string>
#include <vector>

namespace enc {

struct PngText {
    std::string keyword;
    std::string text;
    bool international = false; // iTXt (UTF-8, uncompressed) instead of tEXt
};

// rgba: width * height * 4 bytes, rows top-down, straight (not premultiplied) alpha.
Bytes encodePngRgba(int width, int height, const std::vector<std::uint8_t>& rgba,
                    const std::vector<PngText>& texts);

std::uint32_t pngCrc(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

} // namespace enc
