#include "platform/image/png_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "platform/error.h"
#include "platform/image/png_rows.h"
#include "platform/image/png_unfilter.h"

namespace plat {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

[[noreturn]] void Fail(const std::string& what) { throw Error("PNG: " + what); }

std::uint32_t Be32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

struct Chunk {
    char type[5];
    const std::uint8_t* data;
    std::uint32_t length;

    bool is(const char* t) const { return std::memcmp(type, t, 4) == 0; }
    // Bit 5 of the first type byte clear: a chunk a decoder must understand.
    bool critical() const { return (type[0] & 0x20) == 0; }
    std::string name() const { return std::string("'") + type + "'"; }
};

bool IsLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Samples per pixel of each colour type; 0 for the numbers the standard does not define.
unsigned Channels(unsigned colorType)
{
    switch (colorType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
    }
}

bool ValidDepth(unsigned colorType, unsigned depth)
{
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

PngInfo ReadHeader(const Chunk& c, const PngLimits& limits)
{
    if (c.length != 13)
        Fail("IHDR chunk has length " + std::to_string(c.length) + ", expected 13");
    PngInfo info;
    info.width = Be32(c.data);
    info.height = Be32(c.data + 4);
    info.bitDepth = c.data[8];
    info.colorType = c.data[9];
    info.interlace = c.data[12];
    if (info.width == 0 || info.height == 0)
        Fail("image width and height must not be zero");
    if (info.width > kMaxChunkLength || info.height > kMaxChunkLength)
        Fail("image width or height out of range");
    if (Channels(info.colorType) == 0)
        Fail("invalid colour type " + std::to_string(info.colorType));
    if (!ValidDepth(info.colorType, info.bitDepth))
        Fail("invalid bit depth " + std::to_string(info.bitDepth) + " for colour type " +
             std::to_string(info.colorType));
    if (c.data[10] != 0)
        Fail("unknown compression method " + std::to_string(c.data[10]));
    if (c.data[11] != 0)
        Fail("unknown filter method " + std::to_string(c.data[11]));
    if (info.interlace > 1)
        Fail("unknown interlace method " + std::to_string(info.interlace));
    if (info.width > limits.maxWidth || info.height > limits.maxHeight ||
        std::uint64_t(info.width) * info.height > limits.maxPixels)
        Fail("image of " + std::to_string(info.width) + " x " + std::to_string(info.height) +
             " pixels is larger than allowed");
    return info;
}

// One reduced image of the Adam7 scheme, or the whole image when not interlaced.
struct Pass {
    std::uint32_t x0, y0, dx, dy;
    std::uint32_t width, height;
    std::size_t rowBytes; // without the filter byte
};

constexpr std::uint32_t kAdam7[7][4] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};

struct Layout {
    Pass passes[7];
    int count = 0;
    std::uint64_t filteredBytes = 0; // all passes, filter bytes included
    std::size_t maxRowBytes = 0;
    unsigned bitsPerPixel = 0;
};

Layout MakeLayout(const PngInfo& info)
{
    Layout l;
    l.bitsPerPixel = Channels(info.colorType) * info.bitDepth;
    auto add = [&](std::uint32_t x0, std::uint32_t y0, std::uint32_t dx, std::uint32_t dy) {
        if (info.width <= x0 || info.height <= y0)
            return; // an empty pass has no rows and no filter bytes
        Pass p{x0, y0, dx, dy, (info.width - x0 + dx - 1) / dx, (info.height - y0 + dy - 1) / dy, 0};
        std::uint64_t bytes = (std::uint64_t(p.width) * l.bitsPerPixel + 7) / 8;
        p.rowBytes = std::size_t(bytes);
        l.filteredBytes += (bytes + 1) * p.height;
        l.maxRowBytes = std::max(l.maxRowBytes, p.rowBytes);
        l.passes[l.count++] = p;
    };
    if (info.interlace)
        for (const auto& a : kAdam7)
            add(a[0], a[1], a[2], a[3]);
    else
        add(0, 0, 1, 1);
    return l;
}

struct Span {
    const std::uint8_t* data;
    std::uint32_t length;
};

// zlib stream owner: inflateEnd on every path.
class Inflater {
public:
    Inflater()
    {
        std::memset(&strm_, 0, sizeof strm_);
        int rc = inflateInit(&strm_);
        if (rc == Z_MEM_ERROR)
            throw std::bad_alloc();
        if (rc != Z_OK)
            Fail("cannot start decompression");
    }
    ~Inflater() { inflateEnd(&strm_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates the IDAT contents, in order, into exactly out[0..outSize).
    void run(const std::vector<Span>& spans, std::uint8_t* out, std::size_t outSize)
    {
        std::size_t produced = 0;
        bool ended = false;
        for (const Span& s : spans) {
            strm_.next_in = const_cast<Bytef*>(s.data);
            strm_.avail_in = s.length;
            while (strm_.avail_in > 0 && !ended) {
                // Past the image's last byte a small scratch buffer catches any
                // surplus, so that the stream's end and checksum are still read.
                std::uint8_t surplus[16];
                bool full = produced == outSize;
                std::size_t room = outSize - produced;
                strm_.next_out = full ? surplus : out + produced;
                strm_.avail_out = full ? uInt(sizeof surplus)
                                       : uInt(std::min<std::size_t>(room, std::numeric_limits<uInt>::max()));
                uInt before = strm_.avail_out;
                int rc = inflate(&strm_, Z_NO_FLUSH);
                std::size_t got = before - strm_.avail_out;
                if (full && got > 0)
                    Fail("compressed image data is longer than the image");
                produced += got;
                if (rc == Z_STREAM_END) {
                    ended = true;
                } else if (rc == Z_NEED_DICT) {
                    Fail("corrupt compressed image data (preset dictionary)");
                } else if (rc == Z_DATA_ERROR) {
                    Fail(std::string("corrupt compressed image data (") +
                         (strm_.msg ? strm_.msg : "invalid stream") + ")");
                } else if (rc == Z_MEM_ERROR) {
                    throw std::bad_alloc();
                } else if (rc == Z_BUF_ERROR && got == 0 && strm_.avail_in > 0) {
                    Fail("corrupt compressed image data");
                }
            }
            if (ended)
                break; // bytes after the end of the zlib stream are ignored
        }
        if (produced < outSize)
            Fail("image data is truncated");
        if (!ended)
            Fail("compressed image data ends early");
    }

private:
    z_stream strm_;
};

struct Ancillary {
    const std::uint8_t* trns = nullptr;
    std::uint32_t trnsLength = 0;
};

void FillContext(png::RowContext& ctx, const PngInfo& info, const Chunk* plte, const Ancillary& anc)
{
    if (info.colorType == 3) {
        // Indices past the palette stay opaque black.
        for (auto& e : ctx.lut) {
            e[0] = e[1] = e[2] = 0;
            e[3] = 255;
        }
        std::uint32_t entries = std::min<std::uint32_t>(plte->length / 3, 1u << info.bitDepth);
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* p = plte->data + i * 3;
            ctx.lut[i][0] = p[2];
            ctx.lut[i][1] = p[1];
            ctx.lut[i][2] = p[0];
        }
        for (std::uint32_t i = 0; i < anc.trnsLength && i < entries; ++i)
            ctx.lut[i][3] = anc.trns[i];
    } else if (info.colorType == 0) {
        if (anc.trns)
            ctx.keyR = (unsigned(anc.trns[0]) << 8) | anc.trns[1];
        if (info.bitDepth <= 8) {
            unsigned levels = 1u << info.bitDepth;
            for (unsigned v = 0; v < levels; ++v) {
                std::uint8_t g = std::uint8_t(v * 255u / (levels - 1));
                ctx.lut[v][0] = ctx.lut[v][1] = ctx.lut[v][2] = g;
                ctx.lut[v][3] = v == ctx.keyR ? 0 : 255;
            }
        }
    } else if (info.colorType == 2 && anc.trns) {
        ctx.keyR = (unsigned(anc.trns[0]) << 8) | anc.trns[1];
        ctx.keyG = (unsigned(anc.trns[2]) << 8) | anc.trns[3];
        ctx.keyB = (unsigned(anc.trns[4]) << 8) | anc.trns[5];
    }
}

} // namespace

PngImage DecodePng(const std::uint8_t* data, std::size_t size, const PngLimits& limits)
{
    if (!data || size < 8 || std::memcmp(data, kSignature, 8) != 0)
        Fail("not a PNG file (bad signature)");

    PngImage img;
    bool haveHeader = false, haveEnd = false, idatEnded = false;
    Chunk plte{};
    bool havePlte = false;
    Ancillary anc;
    std::vector<Span> idat;

    std::size_t pos = 8;
    while (!haveEnd) {
        if (size - pos < 12)
            Fail(pos == size ? "file is truncated (no IEND chunk)" : "file is truncated inside a chunk header");
        Chunk c;
        c.length = Be32(data + pos);
        std::memcpy(c.type, data + pos + 4, 4);
        c.type[4] = 0;
        for (int i = 0; i < 4; ++i)
            if (!IsLetter(std::uint8_t(c.type[i])))
                Fail("invalid chunk type");
        if (c.length > kMaxChunkLength)
            Fail("chunk " + c.name() + " has an invalid length");
        if (size - pos - 12 < c.length)
            Fail("chunk " + c.name() + " runs past the end of the file");
        c.data = data + pos + 8;
        std::uint32_t stored = Be32(c.data + c.length);
        std::uint32_t crc = std::uint32_t(crc32(0, data + pos + 4, c.length + 4));
        pos += std::size_t(c.length) + 12;
        if (crc != stored) {
            if (c.critical())
                Fail("CRC error in chunk " + c.name());
            continue; // a damaged ancillary chunk is dropped
        }

        if (!haveHeader) {
            if (!c.is("IHDR"))
                Fail("first chunk is not IHDR");
            img.info = ReadHeader(c, limits);
            haveHeader = true;
            continue;
        }
        if (!idat.empty() && !c.is("IDAT"))
            idatEnded = true;

        if (c.is("IDAT")) {
            if (idatEnded)
                Fail("IDAT chunks are not consecutive");
            if (img.info.colorType == 3 && !havePlte)
                Fail("missing PLTE chunk for a palette image");
            idat.push_back({c.data, c.length});
        } else if (c.is("IEND")) {
            if (c.length != 0)
                Fail("IEND chunk has an invalid length");
            haveEnd = true;
        } else if (c.is("PLTE")) {
            if (havePlte)
                Fail("more than one PLTE chunk");
            if (!idat.empty())
                Fail("PLTE chunk after the image data");
            if (img.info.colorType == 0 || img.info.colorType == 4)
                Fail("PLTE chunk in a greyscale image");
            if (c.length == 0 || c.length % 3 != 0 || c.length > 768)
                Fail("PLTE chunk has an invalid length");
            plte = c;
            havePlte = true;
        } else if (c.is("IHDR")) {
            Fail("more than one IHDR chunk");
        } else if (c.is("tRNS")) {
            // A misplaced or malformed tRNS is ancillary: it is ignored.
            unsigned ct = img.info.colorType;
            bool fits = (ct == 0 && c.length == 2) || (ct == 2 && c.length == 6) ||
                        (ct == 3 && havePlte && c.length <= plte.length / 3);
            if (fits && idat.empty() && !anc.trns) {
                anc.trns = c.data;
                anc.trnsLength = c.length;
            }
        } else if (c.critical()) {
            Fail("unknown critical chunk " + c.name());
        }
    }
    // Bytes after IEND are ignored.
    if (idat.empty())
        Fail("no IDAT chunk");

    const PngInfo& info = img.info;
    Layout layout = MakeLayout(info);
    // Everything below fits the limits already; on a 32-bit build the byte
    // counts must still fit size_t.
    std::uint64_t bitmapBytes = std::uint64_t(info.width) * info.height * 4;
    constexpr std::uint64_t kMaxBuffer = std::numeric_limits<std::size_t>::max() / 4;
    if (layout.filteredBytes > kMaxBuffer || bitmapBytes > kMaxBuffer)
        Fail("image is too large for this system");

    png::RowContext ctx;
    FillContext(ctx, info, havePlte ? &plte : nullptr, anc);
    const png::RowConverter convert = png::SelectRowConverter(info.colorType, info.bitDepth);
    const unsigned bpp = std::max(1u, layout.bitsPerPixel / 8);
    const bool withAlpha = img.hasAlphaChannel();
    const std::size_t stride = std::size_t(info.width) * 4;
    const std::size_t bitmapSize = std::size_t(bitmapBytes);
    const std::size_t filteredSize = std::size_t(layout.filteredBytes);

    if (withAlpha)
        img.alpha.resize(std::size_t(info.width) * info.height);
    // Two scanlines: the one being unfiltered and the one above it (zeros at first).
    std::vector<std::uint8_t> lines(layout.maxRowBytes * 2, 0);
    std::uint8_t* cur = lines.data();
    std::uint8_t* prev = lines.data() + layout.maxRowBytes;

    if (!info.interlace) {
        // The compressed data is inflated into the end of the bitmap's own
        // buffer and each row is converted to its place at the front: row y's
        // pixels never reach the scanlines after it, so one buffer serves both.
        std::vector<std::uint8_t> buffer(std::max(bitmapSize, filteredSize));
        const std::size_t base = buffer.size() - filteredSize;
        {
            Inflater inflater;
            inflater.run(idat, buffer.data() + base, filteredSize);
        }
        const Pass& p = layout.passes[0];
        const std::uint8_t* src = buffer.data() + base;
        for (std::uint32_t y = 0; y < info.height; ++y, src += p.rowBytes + 1) {
            std::memcpy(cur, src + 1, p.rowBytes);
            if (!png::UnfilterRow(src[0], cur, prev, p.rowBytes, bpp))
                Fail("invalid filter type " + std::to_string(src[0]) + " in row " + std::to_string(y));
            std::uint8_t* alphaRow = withAlpha ? img.alpha.data() + std::size_t(y) * info.width : nullptr;
            convert(cur, buffer.data() + y * stride, alphaRow, p.width, ctx);
            std::swap(cur, prev);
        }
        buffer.resize(bitmapSize);
        if (buffer.capacity() - bitmapSize > bitmapSize / 8)
            buffer.shrink_to_fit(); // 16-bit images inflate to twice the bitmap
        img.bitmap.width = int(info.width);
        img.bitmap.height = int(info.height);
        img.bitmap.pixels = std::move(buffer);
        return img;
    }

    // Adam7: the passes are inflated together, then each reduced image is
    // converted a row at a time and its pixels spread over the bitmap.
    std::vector<std::uint8_t> filtered(filteredSize);
    {
        Inflater inflater;
        inflater.run(idat, filtered.data(), filtered.size());
    }
    img.bitmap = Bitmap(int(info.width), int(info.height));
    std::vector<std::uint8_t> passBgra(stride), passAlpha(info.width);
    const std::uint8_t* src = filtered.data();
    for (int pi = 0; pi < layout.count; ++pi) {
        const Pass& p = layout.passes[pi];
        std::fill(prev, prev + p.rowBytes, std::uint8_t(0));
        for (std::uint32_t r = 0; r < p.height; ++r, src += p.rowBytes + 1) {
            std::memcpy(cur, src + 1, p.rowBytes);
            if (!png::UnfilterRow(src[0], cur, prev, p.rowBytes, bpp))
                Fail("invalid filter type " + std::to_string(src[0]) + " in row " + std::to_string(r) +
                     " of pass " + std::to_string(pi + 1));
            convert(cur, passBgra.data(), passAlpha.data(), p.width, ctx);
            const std::uint32_t y = p.y0 + r * p.dy;
            std::uint8_t* out = img.bitmap.row(int(y));
            std::uint8_t* alphaRow = withAlpha ? img.alpha.data() + std::size_t(y) * info.width : nullptr;
            for (std::uint32_t i = 0; i < p.width; ++i) {
                std::uint32_t x = p.x0 + i * p.dx;
                std::memcpy(out + std::size_t(x) * 4, passBgra.data() + std::size_t(i) * 4, 4);
                if (alphaRow)
                    alphaRow[x] = passAlpha[i];
            }
            std::swap(cur, prev);
        }
    }
    return img;
}

} // namespace plat
