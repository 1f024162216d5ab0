#include "gif_writer.h"

#include <algorithm>
#include <unordered_map>

namespace giftest {

namespace {

class BitWriter {
public:
    void Put(int code, int bits) {
        acc_ |= std::uint32_t(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            out_.push_back(std::uint8_t(acc_));
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (count_ > 0)
            out_.push_back(std::uint8_t(acc_));
        count_ = 0;
        acc_ = 0;
        return std::move(out_);
    }

private:
    std::vector<std::uint8_t> out_;
    std::uint32_t acc_ = 0;
    int count_ = 0;
};

void Word(std::vector<std::uint8_t>& out, int v) {
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}

int SizeBits(std::size_t entries) { // packed-field size: 2^(bits+1) entries
    int bits = 0;
    while ((std::size_t(2) << bits) < entries)
        ++bits;
    return bits;
}

void Palette(std::vector<std::uint8_t>& out, const std::vector<Rgb>& pal) {
    const std::size_t entries = std::size_t(2) << SizeBits(pal.size());
    for (std::size_t i = 0; i < entries; ++i)
        for (int k = 0; k < 3; ++k)
            out.push_back(i < pal.size() ? pal[i][k] : 0);
}

void SubBlocks(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& data) {
    for (std::size_t pos = 0; pos < data.size(); pos += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), data.begin() + pos, data.begin() + pos + n);
    }
    out.push_back(0);
}

} // namespace

std::vector<std::uint8_t> LzwEncode(const std::vector<std::uint8_t>& indices, int minCodeSize) {
    BitWriter bw;
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int size = minCodeSize + 1;
    int next = end + 1;
    std::unordered_map<std::uint32_t, int> dict;
    bw.Put(clear, size);
    if (!indices.empty()) {
        int cur = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const int c = indices[i];
            const std::uint32_t key = (std::uint32_t(cur) << 8) | std::uint32_t(c);
            const auto it = dict.find(key);
            if (it != dict.end()) {
                cur = it->second;
                continue;
            }
            bw.Put(cur, size);
            if (next < 4096) {
                dict[key] = next++;
                if (next > (1 << size) && size < 12)
                    ++size;
            } else {
                bw.Put(clear, size);
                dict.clear();
                size = minCodeSize + 1;
                next = end + 1;
            }
            cur = c;
        }
        bw.Put(cur, size);
        // The decoder defines one more entry on reading the last code.
        if (next < 4096 && ++next > (1 << size) && size < 12)
            ++size;
    }
    bw.Put(end, size);
    return bw.Finish();
}

std::vector<std::uint8_t> PackCodes(const std::vector<std::pair<int, int>>& codes) {
    BitWriter bw;
    for (const auto& [code, bits] : codes)
        bw.Put(code, bits);
    return bw.Finish();
}

std::vector<Rgb> TestPalette(int n) {
    std::vector<Rgb> pal;
    for (int i = 0; i < n; ++i)
        pal.push_back({std::uint8_t(i * 37 + 11), std::uint8_t(255 - i), std::uint8_t(i * 91 + 3)});
    return pal;
}

std::vector<std::uint8_t> WriteGif(const GifLayout& layout) {
    std::vector<std::uint8_t> out(layout.signature.begin(), layout.signature.end());
    Word(out, layout.width);
    Word(out, layout.height);
    const bool global = !layout.globalPalette.empty();
    out.push_back(std::uint8_t((global ? 0x80 : 0) | 0x70 | (global ? SizeBits(layout.globalPalette.size()) : 0)));
    out.push_back(std::uint8_t(layout.backgroundIndex));
    out.push_back(0);
    if (global)
        Palette(out, layout.globalPalette);
    if (layout.loopCount >= 0) {
        const char* id = "NETSCAPE2.0";
        out.insert(out.end(), {0x21, 0xFF, 11});
        out.insert(out.end(), id, id + 11);
        out.insert(out.end(), {3, 1});
        Word(out, layout.loopCount);
        out.push_back(0);
    }
    if (layout.unknownExtensions) {
        out.insert(out.end(), {0x21, 0xFE});
        SubBlocks(out, std::vector<std::uint8_t>(300, 'c')); // comment over two sub-blocks
        out.insert(out.end(), {0x21, 0x99});
        SubBlocks(out, {1, 2, 3});
        const char* id = "XMP DataXMP";
        out.insert(out.end(), {0x21, 0xFF, 11});
        out.insert(out.end(), id, id + 11);
        SubBlocks(out, std::vector<std::uint8_t>(20, 'x'));
    }
    for (const FrameLayout& f : layout.frames) {
        for (const Control& c : f.controls) {
            out.insert(out.end(), {0x21, 0xF9, 4});
            out.push_back(std::uint8_t((c.disposal << 2) | (c.transparentIndex >= 0 ? 1 : 0)));
            Word(out, c.delayCs);
            out.push_back(std::uint8_t(c.transparentIndex >= 0 ? c.transparentIndex : 0));
            out.push_back(0);
        }
        out.push_back(0x2C);
        Word(out, f.left);
        Word(out, f.top);
        Word(out, f.width);
        Word(out, f.height);
        const bool local = !f.localPalette.empty();
        out.push_back(std::uint8_t((local ? 0x80 : 0) | (f.interlaced ? 0x40 : 0) |
                                   (local ? SizeBits(f.localPalette.size()) : 0)));
        if (local)
            Palette(out, f.localPalette);
        const std::size_t palSize = local ? f.localPalette.size() : layout.globalPalette.size();
        const int mcs = f.minCodeSize >= 0 ? f.minCodeSize : std::max(2, SizeBits(palSize) + 1);
        out.push_back(std::uint8_t(mcs));
        if (!f.rawData.empty()) {
            SubBlocks(out, f.rawData);
            continue;
        }
        std::vector<std::uint8_t> stored;
        if (!f.interlaced) {
            stored = f.indices;
        } else {
            static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < f.height; y += step[pass])
                    stored.insert(stored.end(), f.indices.begin() + std::size_t(y) * f.width,
                                  f.indices.begin() + std::size_t(y + 1) * f.width);
        }
        SubBlocks(out, LzwEncode(stored, mcs));
    }
    if (layout.trailer)
        out.push_back(0x3B);
    return out;
}

} // namespace giftest
