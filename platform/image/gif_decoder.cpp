#include "platform/image/gif_decoder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/error.h"
#include "platform/image/gif_lzw.h"

namespace plat {

namespace {

// Thrown inside the parser when the data ends; never leaves this file.
struct EndOfData {};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return pos_ >= size_; }
    std::uint8_t Byte() {
        if (pos_ >= size_)
            throw EndOfData{};
        return data_[pos_++];
    }
    int Word() {
        const int lo = Byte();
        return lo | (Byte() << 8);
    }
    const std::uint8_t* Take(std::size_t n) {
        if (size_ - pos_ < n)
            throw EndOfData{};
        const std::uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    // Appends the payload of a sub-block chain to `out` (when given). Returns false
    // when the data ends before the terminating empty block; what arrived is kept.
    bool SubBlocks(std::vector<std::uint8_t>* out) {
        for (;;) {
            if (pos_ >= size_)
                return false;
            const std::size_t n = data_[pos_++];
            if (n == 0)
                return true;
            const std::size_t avail = std::min(n, size_ - pos_);
            if (out)
                out->insert(out->end(), data_ + pos_, data_ + pos_ + avail);
            pos_ += avail;
            if (avail < n)
                return false;
        }
    }
    // First sub-block of a chain, read whole; the rest of the chain stays unread.
    std::vector<std::uint8_t> FirstSubBlock() {
        const std::size_t n = Byte();
        const std::uint8_t* p = Take(n);
        return std::vector<std::uint8_t>(p, p + n);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

GifPalette ReadPalette(Reader& r, int packedSizeBits) {
    const std::size_t entries = std::size_t(2) << (packedSizeBits & 7);
    const std::uint8_t* p = r.Take(entries * 3);
    GifPalette pal(entries);
    for (std::size_t i = 0; i < entries; ++i)
        pal[i] = {p[i * 3], p[i * 3 + 1], p[i * 3 + 2]};
    return pal;
}

void CheckSize(const char* what, int w, int h, const GifLimits& limits) {
    if (w > limits.maxDimension || h > limits.maxDimension ||
        std::uint64_t(w) * std::uint64_t(h) > limits.maxPixels)
        throw Error(std::string("GIF: ") + what + " of " + std::to_string(w) + " x " +
                    std::to_string(h) + " pixels is too large");
}

struct PendingControl {
    bool present = false;
    int disposal = 0;
    int delayCs = 0;
    int transparentIndex = -1;
};

void ReadExtension(Reader& r, GifFile& gif, PendingControl& control) {
    const std::uint8_t label = r.Byte();
    if (label == 0xF9) {
        const std::vector<std::uint8_t> b = r.FirstSubBlock();
        if (b.size() >= 4) {
            // Several control blocks before one image: the last one sets disposal and
            // transparency, the longest delay is kept.
            const int delay = b[1] | (b[2] << 8);
            control.delayCs = control.present ? std::max(control.delayCs, delay) : delay;
            control.present = true;
            control.disposal = (b[0] >> 2) & 7;
            control.transparentIndex = (b[0] & 1) ? b[3] : -1;
        }
        if (b.empty())
            return; // the empty block was the terminator
        if (!r.SubBlocks(nullptr))
            throw EndOfData{};
        return;
    }
    if (label == 0xFF) {
        const std::vector<std::uint8_t> id = r.FirstSubBlock();
        if (id.empty())
            return;
        std::vector<std::uint8_t> rest;
        const bool complete = r.SubBlocks(&rest);
        const bool looping = id.size() == 11 && (std::memcmp(id.data(), "NETSCAPE2.0", 11) == 0 ||
                                                 std::memcmp(id.data(), "ANIMEXTS1.0", 11) == 0);
        if (looping && rest.size() >= 3 && rest[0] == 1)
            gif.loopCount = rest[1] | (rest[2] << 8);
        if (!complete)
            throw EndOfData{};
        return;
    }
    if (label == 0x01)
        control = {}; // plain text is a graphic block of its own: it uses up the control
    if (!r.SubBlocks(nullptr))
        throw EndOfData{};
}

// Reads one image. Returns false when the data ended before all its pixels arrived.
bool ReadImage(Reader& r, GifFile& gif, const PendingControl& control, const GifLimits& limits,
               std::uint64_t& totalPixels, std::vector<std::uint8_t>& lzw) {
    GifFrame f;
    f.left = r.Word();
    f.top = r.Word();
    f.width = r.Word();
    f.height = r.Word();
    const std::uint8_t packed = r.Byte();
    f.interlaced = (packed & 0x40) != 0;
    f.disposal = control.disposal;
    f.delayCs = control.delayCs;
    f.transparentIndex = control.transparentIndex;

    CheckSize("frame", f.width, f.height, limits);
    if (gif.frames.size() >= limits.maxFrames)
        throw Error("GIF: more than " + std::to_string(limits.maxFrames) + " frames");
    const std::size_t count = std::size_t(f.width) * std::size_t(f.height);
    totalPixels += count;
    if (totalPixels > limits.maxTotalFramePixels)
        throw Error("GIF: the frames hold more than " +
                    std::to_string(limits.maxTotalFramePixels) + " pixels");

    if (packed & 0x80)
        f.localPalette = ReadPalette(r, packed);
    if (f.localPalette.empty() && gif.globalPalette.empty())
        throw Error("GIF: frame " + std::to_string(gif.frames.size()) + " has no colour table");

    const int minCodeSize = r.Byte();
    if (minCodeSize < 2 || minCodeSize > 8)
        throw Error("GIF: LZW minimum code size " + std::to_string(minCodeSize) +
                    " is outside 2 to 8");
    lzw.clear();
    const bool complete = r.SubBlocks(&lzw);

    f.indices.resize(count);
    if (!f.interlaced || count == 0) {
        f.decodedPixels = DecodeGifLzw(minCodeSize, lzw.data(), lzw.size(), f.indices.data(), count).written;
    } else {
        std::vector<std::uint8_t> stored(count);
        f.decodedPixels = DecodeGifLzw(minCodeSize, lzw.data(), lzw.size(), stored.data(), count).written;
        for (int s = 0; s < f.height; ++s)
            std::memcpy(f.indices.data() + std::size_t(GifInterlacedRow(s, f.height)) * f.width,
                        stored.data() + std::size_t(s) * f.width, std::size_t(f.width));
    }
    if (!complete && f.decodedPixels < count)
        return false;
    gif.frames.push_back(std::move(f));
    return complete;
}

} // namespace

int GifInterlacedRow(int storedRow, int height) {
    // Pass 1: every 8th row from 0; pass 2: every 8th from 4; pass 3: every 4th from 2;
    // pass 4: every 2nd from 1.
    const int pass1 = (height + 7) / 8;
    const int pass2 = (height + 3) / 8;
    const int pass3 = (height + 1) / 4;
    int s = storedRow;
    if (s < pass1)
        return s * 8;
    s -= pass1;
    if (s < pass2)
        return 4 + s * 8;
    s -= pass2;
    if (s < pass3)
        return 2 + s * 4;
    s -= pass3;
    return 1 + s * 2;
}

GifFile DecodeGif(const std::uint8_t* data, std::size_t size, const GifLimits& limits) {
    if (size < 6 || std::memcmp(data, "GIF", 3) != 0 ||
        (std::memcmp(data + 3, "87a", 3) != 0 && std::memcmp(data + 3, "89a", 3) != 0))
        throw Error("GIF: not a GIF file (bad signature)");

    GifFile gif;
    Reader r(data + 6, size - 6);
    try {
        gif.screenWidth = r.Word();
        gif.screenHeight = r.Word();
        const std::uint8_t packed = r.Byte();
        gif.backgroundIndex = r.Byte();
        r.Byte(); // pixel aspect ratio
        CheckSize("picture", gif.screenWidth, gif.screenHeight, limits);
        if (packed & 0x80)
            gif.globalPalette = ReadPalette(r, packed);
    } catch (const EndOfData&) {
        throw Error("GIF: file is truncated before the first frame");
    }

    PendingControl control;
    std::uint64_t totalPixels = 0;
    std::vector<std::uint8_t> lzw;
    try {
        for (;;) {
            if (r.AtEnd()) {
                gif.truncated = true; // no trailer
                break;
            }
            const std::uint8_t block = r.Byte();
            if (block == 0x3B)
                break;
            if (block == 0x21) {
                ReadExtension(r, gif, control);
            } else if (block == 0x2C) {
                if (!ReadImage(r, gif, control, limits, totalPixels, lzw))
                    throw EndOfData{};
                control = {};
            } else {
                // Not a block a GIF may hold: the rest is damaged, keep what came before.
                gif.truncated = true;
                break;
            }
        }
    } catch (const EndOfData&) {
        gif.truncated = true;
    }
    if (gif.frames.empty())
        throw Error(gif.truncated ? "GIF: file is truncated before the first frame"
                                  : "GIF: file holds no frame");

    if (gif.screenWidth == 0 || gif.screenHeight == 0) {
        // Some writers leave the screen size 0: the frames then define it.
        int w = 0, h = 0;
        for (const GifFrame& f : gif.frames) {
            w = std::max(w, f.left + f.width);
            h = std::max(h, f.top + f.height);
        }
        CheckSize("picture", w, h, limits);
        gif.screenWidth = w;
        gif.screenHeight = h;
    }
    return gif;
}

} // namespace plat
