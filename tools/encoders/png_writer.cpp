#include "tools/encoders/png_writer.h"

#include <cstdlib>
#include <stdexcept>
#include <zlib.h>

namespace enc {
namespace {

void putChunk(Bytes& out, const char* type, const Bytes& data)
{
    putBe32(out, std::uint32_t(data.size()));
    std::size_t start = out.size();
    putText(out, type);
    out.insert(out.end(), data.begin(), data.end());
    putBe32(out, pngCrc(out.data() + start, out.size() - start));
}

int paeth(int a, int b, int c)
{
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Filters every row with each of the five filters and keeps the one with the smallest
// sum of absolute signed bytes, the usual heuristic.
Bytes filterRows(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    const std::size_t stride = std::size_t(width) * 4;
    Bytes out;
    out.reserve((stride + 1) * height);
    Bytes candidate(stride), best(stride);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rgba.data() + stride * y;
        const std::uint8_t* up = y > 0 ? row - stride : nullptr;
        long bestScore = -1;
        int bestFilter = 0;
        for (int f = 0; f < 5; ++f) {
            long score = 0;
            for (std::size_t i = 0; i < stride; ++i) {
                int a = i >= 4 ? row[i - 4] : 0;
                int b = up ? up[i] : 0;
                int c = (up && i >= 4) ? up[i - 4] : 0;
                int pred = 0;
                switch (f) {
                case 1: pred = a; break;
                case 2: pred = b; break;
                case 3: pred = (a + b) / 2; break;
                case 4: pred = paeth(a, b, c); break;
                default: break;
                }
                std::uint8_t v = std::uint8_t(row[i] - pred);
                candidate[i] = v;
                score += v < 128 ? v : 256 - v;
            }
            if (bestScore < 0 || score < bestScore) {
                bestScore = score;
                bestFilter = f;
                best.swap(candidate);
            }
        }
        out.push_back(std::uint8_t(bestFilter));
        out.insert(out.end(), best.begin(), best.end());
    }
    return out;
}

Bytes deflateAll(const Bytes& raw)
{
    z_stream zs{};
    if (deflateInit2(&zs, 9, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    Bytes out(deflateBound(&zs, uLong(raw.size())));
    zs.next_in = const_cast<Bytef*>(raw.data());
    zs.avail_in = uInt(raw.size());
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    int rc = deflate(&zs, Z_FINISH);
    std::size_t produced = out.size() - zs.avail_out;
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
    out.resize(produced);
    return out;
}

} // namespace

std::uint32_t pngCrc(const std::uint8_t* data, std::size_t size, std::uint32_t crc)
{
    return std::uint32_t(crc32(crc, data, uInt(size)));
}

Bytes encodePngRgba(int width, int height, const std::vector<std::uint8_t>& rgba,
                    const std::vector<PngText>& texts)
{
    if (width <= 0 || height <= 0 || rgba.size() != std::size_t(width) * height * 4)
        throw std::invalid_argument("PNG: pixel buffer does not match the size");
    Bytes out;
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    out.insert(out.end(), signature, signature + 8);

    Bytes ihdr;
    putBe32(ihdr, std::uint32_t(width));
    putBe32(ihdr, std::uint32_t(height));
    putU8(ihdr, 8); // bit depth
    putU8(ihdr, 6); // truecolour with alpha
    putU8(ihdr, 0); // deflate
    putU8(ihdr, 0); // adaptive filtering
    putU8(ihdr, 0); // not interlaced
    putChunk(out, "IHDR", ihdr);

    for (const PngText& t : texts) {
        Bytes data;
        putText(data, t.keyword);
        putU8(data, 0);
        if (t.international) {
            putU8(data, 0); // not compressed
            putU8(data, 0); // compression method
            putU8(data, 0); // empty language tag
            putU8(data, 0); // empty translated keyword
        }
        putText(data, t.text);
        putChunk(out, t.international ? "iTXt" : "tEXt", data);
    }

    putChunk(out, "IDAT", deflateAll(filterRows(width, height, rgba)));
    putChunk(out, "IEND", {});
    return out;
}

} // namespace enc
