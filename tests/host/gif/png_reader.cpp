#include "png_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace giftest {

namespace {

std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

} // namespace

RgbaImage ReadPngFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 8 || std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8) != 0)
        throw std::runtime_error("not a PNG: " + path);

    int width = 0, height = 0, depth = 0, type = 0;
    std::vector<std::uint8_t> palette, trns, idat;
    for (std::size_t pos = 8; pos + 12 <= file.size();) {
        const std::uint32_t len = Be32(&file[pos]);
        const std::string name(reinterpret_cast<const char*>(&file[pos + 4]), 4);
        if (pos + 12 + len > file.size())
            throw std::runtime_error("truncated chunk in " + path);
        const std::uint8_t* d = &file[pos + 8];
        if (name == "IHDR") {
            width = int(Be32(d));
            height = int(Be32(d + 4));
            depth = d[8];
            type = d[9];
            if (d[12] != 0)
                throw std::runtime_error("interlaced PNG not supported: " + path);
        } else if (name == "PLTE") {
            palette.assign(d, d + len);
        } else if (name == "tRNS") {
            trns.assign(d, d + len);
        } else if (name == "IDAT") {
            idat.insert(idat.end(), d, d + len);
        }
        pos += 12 + len;
    }
    if (depth > 8)
        throw std::runtime_error("16-bit PNG not supported: " + path);
    const int channels = type == 0 ? 1 : type == 2 ? 3 : type == 3 ? 1 : type == 4 ? 2 : 4;
    const int bitsPerPixel = channels * depth;
    const std::size_t stride = (std::size_t(width) * bitsPerPixel + 7) / 8;
    const int bpp = std::max(1, bitsPerPixel / 8);

    std::vector<std::uint8_t> raw((stride + 1) * height);
    uLongf rawLen = uLongf(raw.size());
    if (uncompress(raw.data(), &rawLen, idat.data(), uLong(idat.size())) != Z_OK || rawLen != raw.size())
        throw std::runtime_error("bad image data in " + path);

    std::vector<std::uint8_t> rows(stride * height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t filter = raw[y * (stride + 1)];
        const std::uint8_t* src = &raw[y * (stride + 1) + 1];
        std::uint8_t* cur = &rows[y * stride];
        const std::uint8_t* up = y > 0 ? &rows[(y - 1) * stride] : nullptr;
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= std::size_t(bpp) ? cur[i - bpp] : 0;
            const int b = up ? up[i] : 0;
            const int c = up && i >= std::size_t(bpp) ? up[i - bpp] : 0;
            int v = src[i];
            switch (filter) {
            case 0: break;
            case 1: v += a; break;
            case 2: v += b; break;
            case 3: v += (a + b) / 2; break;
            case 4: v += Paeth(a, b, c); break;
            default: throw std::runtime_error("bad filter in " + path);
            }
            cur[i] = std::uint8_t(v);
        }
    }

    RgbaImage img{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
    const int maxSample = (1 << depth) - 1;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = &rows[y * stride];
        for (int x = 0; x < width; ++x) {
            auto sample = [&](int index) { // index-th sample of the row
                const std::size_t bit = std::size_t(index) * depth;
                const int v = (row[bit / 8] >> (8 - depth - int(bit % 8))) & maxSample;
                return depth == 8 ? v : v * 255 / maxSample;
            };
            std::uint8_t* o = &img.rgba[(std::size_t(y) * width + x) * 4];
            if (type == 3) {
                const std::size_t bit = std::size_t(x) * depth;
                const int i = (row[bit / 8] >> (8 - depth - int(bit % 8))) & maxSample;
                if (std::size_t(i) * 3 + 2 >= palette.size())
                    throw std::runtime_error("palette index out of range in " + path);
                o[0] = palette[i * 3];
                o[1] = palette[i * 3 + 1];
                o[2] = palette[i * 3 + 2];
                o[3] = std::size_t(i) < trns.size() ? trns[i] : 255;
            } else if (type == 0 || type == 4) {
                o[0] = o[1] = o[2] = std::uint8_t(sample(x * channels));
                o[3] = type == 4 ? std::uint8_t(sample(x * channels + 1)) : 255;
            } else {
                for (int k = 0; k < 3; ++k)
                    o[k] = std::uint8_t(sample(x * channels + k));
                o[3] = type == 6 ? std::uint8_t(sample(x * channels + 3)) : 255;
            }
        }
    }
    return img;
}

} // namespace giftest
