#include "tools/encoders/gif_writer.h"

#include "tools/encoders/lzw.h"

#include <stdexcept>

namespace enc {
namespace {

int tableSizeField(std::size_t entries)
{
    for (int f = 0; f < 8; ++f)
        if (entries == (std::size_t(2) << f)) return f;
    throw std::invalid_argument("GIF: colour table size is not a power of two from 2 to 256");
}

void putTable(Bytes& out, const std::vector<Rgb>& table)
{
    for (const Rgb& c : table) {
        putU8(out, c.r);
        putU8(out, c.g);
        putU8(out, c.b);
    }
}

void putSubBlocks(Bytes& out, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        std::size_t n = size < 255 ? size : 255;
        putU8(out, unsigned(n));
        out.insert(out.end(), data, data + n);
        data += n;
        size -= n;
    }
    putU8(out, 0);
}

} // namespace

Bytes encodeGif(const GifImage& image)
{
    constexpr int kMinCodeSize = 8;
    Bytes out;
    putText(out, "GIF89a");
    putLe16(out, unsigned(image.width));
    putLe16(out, unsigned(image.height));
    unsigned packed = 0x70; // colour resolution 8 bits
    if (!image.globalTable.empty()) packed |= 0x80u | unsigned(tableSizeField(image.globalTable.size()));
    putU8(out, packed);
    putU8(out, unsigned(image.backgroundIndex));
    putU8(out, 0); // no pixel aspect ratio
    putTable(out, image.globalTable);

    putU8(out, 0x21);
    putU8(out, 0xFF);
    putU8(out, 11);
    putText(out, "NETSCAPE2.0");
    putU8(out, 3);
    putU8(out, 1);
    putLe16(out, unsigned(image.loopCount));
    putU8(out, 0);

    if (!image.comment.empty()) {
        putU8(out, 0x21);
        putU8(out, 0xFE);
        putSubBlocks(out, reinterpret_cast<const std::uint8_t*>(image.comment.data()), image.comment.size());
    }

    for (const GifFrame& f : image.frames) {
        if (f.width <= 0 || f.height <= 0 || f.left < 0 || f.top < 0 || f.left + f.width > image.width ||
            f.top + f.height > image.height || f.indices.size() != std::size_t(f.width) * f.height)
            throw std::invalid_argument("GIF: frame rectangle does not fit the screen");
        if (f.localTable.empty() && image.globalTable.empty())
            throw std::invalid_argument("GIF: frame without a colour table");
        putU8(out, 0x21);
        putU8(out, 0xF9);
        putU8(out, 4);
        putU8(out, unsigned((f.disposal & 7) << 2) | (f.transparentIndex >= 0 ? 1u : 0u));
        putLe16(out, unsigned(f.delay));
        putU8(out, f.transparentIndex >= 0 ? unsigned(f.transparentIndex) : 0u);
        putU8(out, 0);

        putU8(out, 0x2C);
        putLe16(out, unsigned(f.left));
        putLe16(out, unsigned(f.top));
        putLe16(out, unsigned(f.width));
        putLe16(out, unsigned(f.height));
        putU8(out, f.localTable.empty() ? 0u : 0x80u | unsigned(tableSizeField(f.localTable.size())));
        putTable(out, f.localTable);
        putU8(out, kMinCodeSize);
        Bytes codes = lzwEncode(f.indices.data(), f.indices.size(), kMinCodeSize);
        putSubBlocks(out, codes.data(), codes.size());
    }
    putU8(out, 0x3B);
    return out;
}

} // namespace enc
