#include "tools/encoders/bmp_writer.h"

#include <stdexcept>

namespace enc {

Bytes encodeMonoBmp(int width, int height, const std::vector<bool>& white)
{
    if (width <= 0 || height <= 0 || white.size() != std::size_t(width) * height)
        throw std::invalid_argument("BMP: mask does not match the size");
    const std::uint32_t stride = std::uint32_t((width + 31) / 32 * 4);
    const std::uint32_t imageSize = stride * std::uint32_t(height);
    const std::uint32_t offset = 14 + 40 + 8;
    Bytes out;
    putText(out, "BM");
    putLe32(out, offset + imageSize);
    putLe16(out, 0);
    putLe16(out, 0);
    putLe32(out, offset);

    putLe32(out, 40);
    putLe32(out, std::uint32_t(width));
    putLe32(out, std::uint32_t(height)); // positive: bottom-up
    putLe16(out, 1);
    putLe16(out, 1);
    putLe32(out, 0);
    putLe32(out, imageSize);
    putLe32(out, 3780);
    putLe32(out, 3780);
    putLe32(out, 2);
    putLe32(out, 0);
    putLe32(out, 0x00000000); // black
    putLe32(out, 0x00FFFFFF); // white

    for (int y = height - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < width; ++x)
            if (white[std::size_t(y) * width + x]) row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace enc
