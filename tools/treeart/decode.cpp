#include "tools/treeart/decode.h"

#include "tools/encoders/lzw.h"
#include "tools/encoders/png_writer.h"

#include <cstdlib>
#include <stdexcept>
#include <zlib.h>

namespace art {
namespace {

class Reader {
public:
    explicit Reader(const enc::Bytes& b) : b_(b) {}
    unsigned u8()
    {
        need(1);
        return b_[pos_++];
    }
    unsigned le16()
    {
        unsigned v = u8();
        return v | (u8() << 8);
    }
    std::uint32_t le32()
    {
        std::uint32_t v = le16();
        return v | (std::uint32_t(le16()) << 16);
    }
    std::uint32_t be32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | u8();
        return v;
    }
    std::string text(std::size_t n)
    {
        need(n);
        std::string s(b_.begin() + long(pos_), b_.begin() + long(pos_ + n));
        pos_ += n;
        return s;
    }
    enc::Bytes bytes(std::size_t n)
    {
        need(n);
        enc::Bytes v(b_.begin() + long(pos_), b_.begin() + long(pos_ + n));
        pos_ += n;
        return v;
    }
    enc::Bytes subBlocks()
    {
        enc::Bytes out;
        for (;;) {
            unsigned n = u8();
            if (n == 0) return out;
            enc::Bytes part = bytes(n);
            out.insert(out.end(), part.begin(), part.end());
        }
    }
    std::size_t pos() const { return pos_; }
    bool atEnd() const { return pos_ == b_.size(); }

private:
    void need(std::size_t n) const
    {
        if (pos_ + n > b_.size()) throw std::runtime_error("file ends early");
    }
    const enc::Bytes& b_;
    std::size_t pos_ = 0;
};

std::vector<enc::Rgb> readTable(Reader& r, unsigned sizeField)
{
    std::vector<enc::Rgb> t(std::size_t(2) << sizeField);
    for (enc::Rgb& c : t) {
        c.r = std::uint8_t(r.u8());
        c.g = std::uint8_t(r.u8());
        c.b = std::uint8_t(r.u8());
    }
    return t;
}

} // namespace

GifInfo readGif(const enc::Bytes& file)
{
    Reader r(file);
    GifInfo g;
    g.version = r.text(6);
    if (g.version != "GIF89a" && g.version != "GIF87a") throw std::runtime_error("not a GIF");
    g.width = int(r.le16());
    g.height = int(r.le16());
    unsigned packed = r.u8();
    g.backgroundIndex = int(r.u8());
    g.aspect = int(r.u8());
    if (packed & 0x80) g.globalTable = readTable(r, packed & 7);

    std::vector<std::uint8_t> screen(std::size_t(g.width) * g.height * 4, 0);
    GifInfo::Frame pending;
    bool trailer = false;
    while (!trailer) {
        unsigned intro = r.u8();
        if (intro == 0x3B) {
            trailer = true;
        } else if (intro == 0x21) {
            unsigned label = r.u8();
            if (label == 0xF9) {
                enc::Bytes data = r.subBlocks();
                if (data.size() != 4) throw std::runtime_error("graphic control extension of wrong size");
                ++pending.gceCount;
                pending.disposal = (data[0] >> 2) & 7;
                pending.userInput = (data[0] & 2) != 0;
                pending.hasTransparency = (data[0] & 1) != 0;
                pending.delay = data[1] | (data[2] << 8);
                pending.transparentIndex = data[3];
            } else if (label == 0xFF) {
                enc::Bytes data = r.subBlocks();
                if (data.size() >= 14 && std::string(data.begin(), data.begin() + 11) == "NETSCAPE2.0" && data[11] == 1) {
                    g.loopCount = data[12] | (data[13] << 8);
                    g.loopBeforeFirstFrame = g.frames.empty();
                }
            } else if (label == 0xFE) {
                enc::Bytes data = r.subBlocks();
                g.comments.emplace_back(data.begin(), data.end());
                if (!g.frames.empty()) g.commentsBeforeFirstFrame = false;
            } else {
                r.subBlocks();
            }
        } else if (intro == 0x2C) {
            GifInfo::Frame f = pending;
            pending = GifInfo::Frame{};
            f.left = int(r.le16());
            f.top = int(r.le16());
            f.width = int(r.le16());
            f.height = int(r.le16());
            unsigned p = r.u8();
            f.interlaced = (p & 0x40) != 0;
            if (p & 0x80) f.localTable = readTable(r, p & 7);
            f.minCodeSize = int(r.u8());
            enc::Bytes codes = r.subBlocks();
            if (f.left + f.width > g.width || f.top + f.height > g.height) throw std::runtime_error("frame off the screen");
            f.indices = enc::lzwDecode(codes.data(), codes.size(), f.minCodeSize, std::size_t(f.width) * f.height);
            const std::vector<enc::Rgb>& table = f.localTable.empty() ? g.globalTable : f.localTable;
            if (table.empty()) throw std::runtime_error("frame without a colour table");

            // Compose the frame, then apply its disposal for the next one.
            std::vector<std::uint8_t> before = screen;
            for (int y = 0; y < f.height; ++y)
                for (int x = 0; x < f.width; ++x) {
                    unsigned idx = f.indices[std::size_t(y) * f.width + x];
                    if (f.hasTransparency && idx == unsigned(f.transparentIndex)) continue;
                    if (idx >= table.size()) throw std::runtime_error("index outside the colour table");
                    std::uint8_t* px = &screen[(std::size_t(f.top + y) * g.width + f.left + x) * 4];
                    px[0] = table[idx].r;
                    px[1] = table[idx].g;
                    px[2] = table[idx].b;
                    px[3] = 255;
                }
            g.screens.push_back(screen);
            if (f.disposal == 2) {
                for (int y = 0; y < f.height; ++y)
                    for (int x = 0; x < f.width; ++x) {
                        std::uint8_t* px = &screen[(std::size_t(f.top + y) * g.width + f.left + x) * 4];
                        px[0] = px[1] = px[2] = px[3] = 0;
                    }
            } else if (f.disposal == 3) {
                screen = before;
            }
            g.frames.push_back(std::move(f));
        } else {
            throw std::runtime_error("unknown block in GIF");
        }
    }
    if (!r.atEnd()) throw std::runtime_error("bytes after the GIF trailer");
    return g;
}

BmpInfo readMonoBmp(const enc::Bytes& file)
{
    Reader r(file);
    BmpInfo b;
    if (r.text(2) != "BM") throw std::runtime_error("not a BMP");
    b.fileSize = r.le32();
    b.reserved = r.le32();
    b.offset = r.le32();
    b.headerSize = r.le32();
    b.width = std::int32_t(r.le32());
    b.height = std::int32_t(r.le32());
    b.planes = int(r.le16());
    b.bitCount = int(r.le16());
    b.compression = r.le32();
    b.imageSize = r.le32();
    b.xppm = std::int32_t(r.le32());
    b.yppm = std::int32_t(r.le32());
    b.coloursUsed = r.le32();
    b.coloursImportant = r.le32();
    b.table[0] = r.le32();
    b.table[1] = r.le32();
    if (b.bitCount != 1 || b.width <= 0 || b.height <= 0 || r.pos() != b.offset) throw std::runtime_error("not a plain 1-bit BMP");
    const std::size_t stride = std::size_t(b.width + 31) / 32 * 4;
    b.white.resize(std::size_t(b.width) * b.height);
    for (int row = 0; row < b.height; ++row) {
        enc::Bytes line = r.bytes(stride);
        int y = b.height - 1 - row;
        for (int x = 0; x < b.width; ++x) b.white[std::size_t(y) * b.width + x] = (line[x / 8] >> (7 - x % 8)) & 1;
        for (std::size_t bit = std::size_t(b.width); bit < stride * 8; ++bit)
            if ((line[bit / 8] >> (7 - bit % 8)) & 1) b.paddingZero = false;
    }
    if (!r.atEnd()) throw std::runtime_error("bytes after the BMP pixels");
    return b;
}

PngInfo readPng(const enc::Bytes& file)
{
    Reader r(file);
    static const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    enc::Bytes s = r.bytes(8);
    if (!std::equal(s.begin(), s.end(), sig)) throw std::runtime_error("not a PNG");
    PngInfo p;
    enc::Bytes idat;
    for (;;) {
        std::uint32_t len = r.be32();
        std::size_t start = r.pos();
        std::string type = r.text(4);
        enc::Bytes data = r.bytes(len);
        std::uint32_t crc = r.be32();
        if (crc != enc::pngCrc(file.data() + start, len + 4)) throw std::runtime_error("PNG chunk CRC mismatch");
        p.chunks.push_back(type);
        if (type == "IHDR") {
            if (len != 13) throw std::runtime_error("IHDR of wrong size");
            p.width = int((data[0] << 24) | (data[1] << 16) | (data[2] << 8) | data[3]);
            p.height = int((data[4] << 24) | (data[5] << 16) | (data[6] << 8) | data[7]);
            p.bitDepth = data[8];
            p.colourType = data[9];
            p.compression = data[10];
            p.filter = data[11];
            p.interlace = data[12];
        } else if (type == "IDAT") {
            idat.insert(idat.end(), data.begin(), data.end());
        } else if (type == "IEND") {
            break;
        }
    }
    if (!r.atEnd()) throw std::runtime_error("bytes after IEND");
    if (p.bitDepth != 8 || p.colourType != 6 || p.interlace != 0) throw std::runtime_error("not 8-bit RGBA");
    const std::size_t stride = std::size_t(p.width) * 4;
    enc::Bytes raw((stride + 1) * p.height);
    uLongf rawLen = uLongf(raw.size());
    if (uncompress(raw.data(), &rawLen, idat.data(), uLong(idat.size())) != Z_OK || rawLen != raw.size())
        throw std::runtime_error("PNG image data does not inflate to the picture size");
    p.rgba.resize(stride * p.height);
    for (int y = 0; y < p.height; ++y) {
        unsigned filter = raw[(stride + 1) * y];
        const std::uint8_t* in = &raw[(stride + 1) * y + 1];
        std::uint8_t* out = &p.rgba[stride * y];
        const std::uint8_t* up = y > 0 ? out - stride : nullptr;
        for (std::size_t i = 0; i < stride; ++i) {
            int a = i >= 4 ? out[i - 4] : 0, b = up ? up[i] : 0, c = (up && i >= 4) ? up[i - 4] : 0;
            int pred = 0;
            switch (filter) {
            case 0: break;
            case 1: pred = a; break;
            case 2: pred = b; break;
            case 3: pred = (a + b) / 2; break;
            case 4: {
                int pp = a + b - c, pa = std::abs(pp - a), pb = std::abs(pp - b), pc = std::abs(pp - c);
                pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                break;
            }
            default: throw std::runtime_error("unknown PNG filter");
            }
            out[i] = std::uint8_t(in[i] + pred);
        }
    }
    return p;
}

} // namespace art
