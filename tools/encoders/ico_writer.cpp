#include "tools/encoders/ico_writer.h"

#include <stdexcept>

namespace enc {
namespace {

Bytes encodeImage(const IconImage& img)
{
    const int n = img.size;
    if (n <= 0 || n > 256 || img.colour.size() != std::size_t(n) * n || img.transparent.size() != img.colour.size())
        throw std::invalid_argument("ICO: image does not match its size");
    const std::size_t colourStride = (std::size_t(n) * 3 + 3) / 4 * 4;
    const std::size_t maskStride = (std::size_t(n) + 31) / 32 * 4;
    Bytes out;
    putLe32(out, 40);
    putLe32(out, std::uint32_t(n));
    putLe32(out, std::uint32_t(n * 2)); // colour rows and mask rows together
    putLe16(out, 1);
    putLe16(out, 24);
    putLe32(out, 0);
    putLe32(out, std::uint32_t((colourStride + maskStride) * n));
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 0);
    for (int y = n - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < n; ++x) {
            std::size_t i = std::size_t(y) * n + x;
            // Transparent pixels hold black so that the XOR step leaves the screen as it is.
            Rgb c = img.transparent[i] ? Rgb{} : img.colour[i];
            putU8(out, c.b);
            putU8(out, c.g);
            putU8(out, c.r);
        }
        out.resize(start + colourStride, 0);
    }
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < n; ++x)
            if (img.transparent[std::size_t(y) * n + x]) row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

Bytes encodeIco(const std::vector<IconImage>& images)
{
    Bytes out;
    putLe16(out, 0);
    putLe16(out, 1);
    putLe16(out, unsigned(images.size()));
    std::vector<Bytes> bodies;
    for (const IconImage& img : images) bodies.push_back(encodeImage(img));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        unsigned dim = images[i].size >= 256 ? 0u : unsigned(images[i].size);
        putU8(out, dim);
        putU8(out, dim);
        putU8(out, 0); // no colour table
        putU8(out, 0);
        putLe16(out, 1);
        putLe16(out, 24);
        putLe32(out, std::uint32_t(bodies[i].size()));
        putLe32(out, offset);
        offset += std::uint32_t(bodies[i].size());
    }
    for (const Bytes& b : bodies) out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace enc
