#pragma once
// A tiny PNG writer on zlib for building test fixtures: exact control over
// chunks, filters and lengths, so that each malformed case can be made on purpose.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace pngtest {

using Bytes = std::vector<std::uint8_t>;

inline void PutBe32(Bytes& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v >> 24));
    out.push_back(std::uint8_t(v >> 16));
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

inline Bytes Signature() { return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}; }

// Appends length, type, data and the CRC of type and data.
inline void PutChunk(Bytes& out, const std::string& type, const Bytes& data)
{
    PutBe32(out, std::uint32_t(data.size()));
    Bytes body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBe32(out, std::uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

inline Bytes Ihdr(std::uint32_t w, std::uint32_t h, std::uint8_t depth, std::uint8_t colorType,
                  std::uint8_t interlace = 0)
{
    Bytes d;
    PutBe32(d, w);
    PutBe32(d, h);
    d.insert(d.end(), {depth, colorType, 0, 0, interlace});
    return d;
}

inline Bytes Compress(const Bytes& raw)
{
    uLongf len = compressBound(uLong(raw.size()));
    Bytes out(len);
    if (compress2(out.data(), &len, raw.data(), uLong(raw.size()), 9) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(len);
    return out;
}

inline unsigned ChannelsOf(int colorType)
{
    switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

// Packs samples (row-major, channel-interleaved) into scanlines without filter bytes.
inline std::vector<Bytes> PackRows(std::uint32_t w, std::uint32_t h, int depth, int colorType,
                                   const std::vector<std::uint32_t>& samples)
{
    unsigned ch = ChannelsOf(colorType);
    std::size_t rowBytes = (std::size_t(w) * ch * depth + 7) / 8;
    std::vector<Bytes> rows(h, Bytes(rowBytes, 0));
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::size_t i = 0; i < std::size_t(w) * ch; ++i) {
            std::uint32_t v = samples.at(y * w * ch + i);
            Bytes& r = rows[y];
            if (depth == 16) {
                r[i * 2] = std::uint8_t(v >> 8);
                r[i * 2 + 1] = std::uint8_t(v);
            } else if (depth == 8) {
                r[i] = std::uint8_t(v);
            } else {
                std::size_t bit = i * depth;
                r[bit / 8] |= std::uint8_t(v << (8 - depth - bit % 8));
            }
        }
    }
    return rows;
}

inline int Paeth(int a, int b, int c)
{
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// Filters each row with filters[y % filters.size()], prefixing the filter byte.
inline Bytes FilterRows(const std::vector<Bytes>& rows, unsigned bpp, const std::vector<int>& filters = {0})
{
    Bytes out;
    Bytes zero(rows.empty() ? 0 : rows[0].size(), 0);
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const Bytes& cur = rows[y];
        const Bytes& prev = y ? rows[y - 1] : zero;
        int f = filters[y % filters.size()];
        out.push_back(std::uint8_t(f));
        for (std::size_t i = 0; i < cur.size(); ++i) {
            int a = i >= bpp ? cur[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
            int pred = f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : f == 4 ? Paeth(a, b, c) : 0;
            out.push_back(std::uint8_t(cur[i] - pred));
        }
    }
    return out;
}

struct Image {
    std::uint32_t width = 1, height = 1;
    int depth = 8, colorType = 6;
    std::vector<std::uint32_t> samples;
    Bytes plte, trns;
    std::vector<int> filters = {0};
};

inline unsigned BytesPerPixel(const Image& im)
{
    unsigned bits = ChannelsOf(im.colorType) * im.depth;
    return bits < 8 ? 1 : bits / 8;
}

// The zlib stream of the image's filtered scanlines.
inline Bytes ImageData(const Image& im)
{
    return Compress(FilterRows(PackRows(im.width, im.height, im.depth, im.colorType, im.samples),
                               BytesPerPixel(im), im.filters));
}

// A complete, valid, non-interlaced PNG.
inline Bytes Encode(const Image& im)
{
    Bytes out = Signature();
    PutChunk(out, "IHDR", Ihdr(im.width, im.height, std::uint8_t(im.depth), std::uint8_t(im.colorType)));
    if (!im.plte.empty())
        PutChunk(out, "PLTE", im.plte);
    if (!im.trns.empty())
        PutChunk(out, "tRNS", im.trns);
    PutChunk(out, "IDAT", ImageData(im));
    PutChunk(out, "IEND", {});
    return out;
}

} // namespace pngtest
