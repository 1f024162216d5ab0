#include "tools/treeart/checks.h"

#include "tools/treeart/decode.h"

#include <algorithm>
#include <array>
#include <exception>
#include <sstream>

namespace art {
namespace {

class Problems {
public:
    explicit Problems(std::string prefix) : prefix_(std::move(prefix)) {}
    template <typename... T>
    void require(bool ok, const T&... what)
    {
        if (ok) return;
        std::ostringstream s;
        s << prefix_ << ": ";
        (s << ... << what);
        list_.push_back(s.str());
    }
    std::vector<std::string> take() { return std::move(list_); }

private:
    std::string prefix_;
    std::vector<std::string> list_;
};

std::uint32_t le32(const enc::Bytes& b, std::size_t at)
{
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}
unsigned le16(const enc::Bytes& b, std::size_t at) { return unsigned(b[at]) | (unsigned(b[at + 1]) << 8); }

} // namespace

const std::vector<AnimationRules>& animationRules()
{
    static const std::vector<AnimationRules> rules = {
        {"Glimmerlode", 182, 211, 11, 10, {2, 2, 2, 1, 1, 2, 2, 2, 2, 1, 1}, true, 91, {249, 251, 250}, true, false,
         {249, 251, 250}, -1, false},
        {"Quorrisk", 342, 211, 7, 20, std::vector<int>(7, 0), false, 0, {255, 255, 255}, false, true, {255, 255, 255}, 40,
         false},
        {"Vudododoz", 190, 225, 50, 7,
         [] {
             std::vector<int> d(50, 1);
             d[49] = 2;
             return d;
         }(),
         true, 0, {253, 254, 254}, true, true, {253, 254, 254}, -1, true},
    };
    return rules;
}

std::vector<std::string> checkAnimation(const AnimationRules& R, const enc::Bytes& gifBytes, const enc::Bytes& bmpBytes)
{
    Problems p(R.name);
    GifInfo g;
    BmpInfo m;
    try {
        g = readGif(gifBytes);
        m = readMonoBmp(bmpBytes);
    } catch (const std::exception& e) {
        p.require(false, "unreadable: ", e.what());
        return p.take();
    }
    p.require(g.version == "GIF89a", "version ", g.version);
    p.require(g.width == R.width && g.height == R.height, "screen ", g.width, "x", g.height);
    p.require(g.aspect == 0, "pixel aspect byte ", g.aspect);
    p.require(g.loopBeforeFirstFrame && g.loopCount == 0, "looping extension with count 0 before the first frame");
    p.require(int(g.frames.size()) == R.frames, "frame count ", g.frames.size());
    if (R.globalTable) {
        p.require(g.globalTable.size() == 256, "global table of 256 entries");
        p.require(g.backgroundIndex == R.backgroundIndex, "background index ", g.backgroundIndex);
        if (g.globalTable.size() == 256) {
            p.require(g.globalTable[std::size_t(R.backgroundIndex)] == R.background, "background colour");
            if (R.transparency) p.require(g.globalTable[255] == enc::Rgb{0, 0, 0}, "entry 255 is not black");
        }
    } else {
        p.require(g.globalTable.empty(), "unexpected global table");
    }
    if (R.commentLength < 0) p.require(g.comments.empty(), "unexpected comment");
    else
        p.require(g.comments.size() == 1 && int(g.comments[0].size()) == R.commentLength && g.commentsBeforeFirstFrame,
                  "one comment of ", R.commentLength, " bytes before the first frame");

    const std::size_t n = std::size_t(R.width) * R.height;
    p.require(m.width == R.width && m.height == R.height, "mask size ", m.width, "x", m.height);
    if (m.white.size() != n || g.screens.size() != g.frames.size()) return p.take();

    int blackTableHits = 0;
    for (std::size_t f = 0; f < g.frames.size() && int(f) < R.frames; ++f) {
        const GifInfo::Frame& fr = g.frames[f];
        p.require(fr.gceCount == 1, "frame ", f, ": ", fr.gceCount, " graphic control extensions");
        p.require(!fr.userInput, "frame ", f, ": user input flag");
        p.require(!fr.interlaced, "frame ", f, ": interlaced");
        p.require(fr.minCodeSize == 8, "frame ", f, ": minimum code size ", fr.minCodeSize);
        p.require(fr.delay == R.delay, "frame ", f, ": delay ", fr.delay);
        p.require(fr.disposal == R.disposal[f], "frame ", f, ": disposal ", fr.disposal);
        p.require(fr.hasTransparency == R.transparency, "frame ", f, ": transparency flag");
        if (R.transparency) p.require(fr.transparentIndex == 255, "frame ", f, ": transparent index ", fr.transparentIndex);
        if (R.globalTable) p.require(fr.localTable.empty(), "frame ", f, ": unexpected local table");
        else p.require(fr.localTable.size() == 256, "frame ", f, ": local table of 256 entries");
        bool whole = fr.left == 0 && fr.top == 0 && fr.width == R.width && fr.height == R.height;
        bool mustBeWhole = f == 0 || (R.lastFrameWhole && int(f) == R.frames - 1);
        p.require(whole == mustBeWhole, "frame ", f, whole ? ": covers the whole screen" : ": does not cover the screen");
        if (f == 0 && R.transparency && R.opaqueGround)
            p.require(std::find(fr.indices.begin(), fr.indices.end(), 255) == fr.indices.end(),
                      "frame 0 uses the transparent index");
        const std::vector<enc::Rgb>& table = fr.localTable.empty() ? g.globalTable : fr.localTable;
        for (std::uint8_t idx : fr.indices)
            if (!(R.transparency && idx == 255) && table[idx] == enc::Rgb{0, 0, 0}) ++blackTableHits;

        // What the window shows after this frame.
        const auto& s = g.screens[f];
        int unpainted = 0, black = 0, groundInside = 0, paleRim = 0, unpaintedGround = 0;
        auto inside = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < R.width && y < R.height && !m.white[std::size_t(y) * R.width + x];
        };
        for (int y = 0; y < R.height; ++y)
            for (int x = 0; x < R.width; ++x) {
                std::size_t i = std::size_t(y) * R.width + x;
                const std::uint8_t* px = &s[i * 4];
                bool painted = px[3] != 0;
                enc::Rgb c{px[0], px[1], px[2]};
                if (painted && c == enc::Rgb{0, 0, 0}) ++black;
                if (!inside(x, y)) {
                    if (R.opaqueGround && !painted) ++unpaintedGround;
                    continue;
                }
                if (!painted) {
                    ++unpainted;
                    continue;
                }
                if (c == R.ground) ++groundInside;
                bool rim = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
                if (rim && 0.299 * c.r + 0.587 * c.g + 0.114 * c.b > 200) ++paleRim;
            }
        p.require(unpainted == 0, "frame ", f, ": ", unpainted, " pixels inside the mask unpainted");
        p.require(unpaintedGround == 0, "frame ", f, ": ", unpaintedGround, " ground pixels unpainted");
        p.require(black == 0, "frame ", f, ": ", black, " black pixels shown");
        p.require(groundInside == 0, "frame ", f, ": ", groundInside, " pixels of ground colour inside the mask");
        p.require(paleRim == 0, "frame ", f, ": ", paleRim, " pale pixels along the outline");
    }
    p.require(blackTableHits == 0, blackTableHits, " pixels refer to black table entries");

    // The mask file itself.
    const std::uint32_t stride = std::uint32_t((R.width + 31) / 32 * 4);
    p.require(m.fileSize == bmpBytes.size(), "BMP size field ", m.fileSize);
    p.require(m.reserved == 0 && m.offset == 62 && m.headerSize == 40, "BMP header fields");
    p.require(m.planes == 1 && m.bitCount == 1 && m.compression == 0, "BMP planes, bit count, compression");
    p.require(m.imageSize == stride * std::uint32_t(R.height), "BMP image size ", m.imageSize);
    p.require(m.xppm == 3780 && m.yppm == 3780, "BMP resolution");
    p.require(m.coloursUsed == 2 && m.coloursImportant == 0, "BMP colour counts");
    p.require(m.table[0] == 0 && m.table[1] == 0x00FFFFFF, "BMP colour table");
    p.require(m.paddingZero, "BMP row padding not zero");
    std::size_t insideCount = std::size_t(std::count(m.white.begin(), m.white.end(), false));
    p.require(insideCount > n / 8, "mask holds only ", insideCount, " inside pixels");
    return p.take();
}

std::vector<std::string> checkStill(const enc::Bytes& bytes)
{
    Problems p("Fernlight");
    PngInfo png;
    try {
        png = readPng(bytes);
    } catch (const std::exception& e) {
        p.require(false, "unreadable: ", e.what());
        return p.take();
    }
    p.require(png.chunks == std::vector<std::string>{"IHDR", "tEXt", "iTXt", "IDAT", "IEND"}, "chunk order");
    p.require(png.width == 200 && png.height == 250, "size ", png.width, "x", png.height);
    p.require(png.bitDepth == 8 && png.colourType == 6 && png.compression == 0 && png.filter == 0 && png.interlace == 0,
              "IHDR fields");
    std::array<int, 256> alphas{};
    int x0 = png.width, y0 = png.height, x1 = -1, y1 = -1, darkUnderZero = 0;
    for (int y = 0; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x) {
            const std::uint8_t* px = &png.rgba[(std::size_t(y) * png.width + x) * 4];
            ++alphas[px[3]];
            if (px[3] == 0) {
                if (std::min({px[0], px[1], px[2]}) < 180 || px[2] > px[0]) ++darkUnderZero;
                continue;
            }
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
    int missing = int(std::count(alphas.begin(), alphas.end(), 0));
    std::string which;
    for (int a = 0; a < 256; ++a)
        if (alphas[std::size_t(a)] == 0) which += " " + std::to_string(a);
    p.require(missing == 0, missing, " alpha values never occur:", which);
    p.require(darkUnderZero == 0, darkUnderZero, " pixels of alpha 0 are not pale yellow or white");
    p.require(x0 >= 6 && x1 <= 193 && y0 >= 19 && y1 <= 229, "visible pixels reach ", x0, "..", x1, " x ", y0, "..", y1);
    return p.take();
}

std::vector<std::string> checkIcon(const enc::Bytes& ico)
{
    Problems p("icon");
    if (ico.size() < 6 + 32) {
        p.require(false, "file too short");
        return p.take();
    }
    p.require(le16(ico, 0) == 0 && le16(ico, 2) == 1 && le16(ico, 4) == 2, "icon directory header");
    const int sizes[2] = {16, 32};
    const std::uint32_t bytes[2] = {872, 3240};
    std::uint32_t expectOffset = 6 + 32;
    for (int k = 0; k < 2; ++k) {
        std::size_t e = 6 + 16 * std::size_t(k);
        p.require(ico[e] == sizes[k] && ico[e + 1] == sizes[k] && ico[e + 2] == 0 && ico[e + 3] == 0, "entry ", k, " size");
        p.require(le16(ico, e + 4) == 1 && le16(ico, e + 6) == 24, "entry ", k, " planes and bit count");
        std::uint32_t len = le32(ico, e + 8), off = le32(ico, e + 12);
        p.require(len == bytes[k] && off == expectOffset, "entry ", k, " length ", len, " offset ", off);
        if (off + 40 <= ico.size()) {
            p.require(le32(ico, off) == 40 && int(le32(ico, off + 4)) == sizes[k] && int(le32(ico, off + 8)) == 2 * sizes[k],
                      "image ", k, " header size");
            p.require(le16(ico, off + 12) == 1 && le16(ico, off + 14) == 24 && le32(ico, off + 16) == 0 &&
                          le32(ico, off + 32) == 0,
                      "image ", k, " planes, bit count, compression, colours");
        }
        expectOffset += bytes[k];
    }
    p.require(ico.size() == expectOffset, "file size ", ico.size());
    return p.take();
}

std::vector<std::string> checkArtwork(const Artwork& a)
{
    std::vector<std::string> all;
    auto add = [&](std::vector<std::string> v) { all.insert(all.end(), v.begin(), v.end()); };
    add(checkStill(a.fernlight.png));
    const Animation* anims[3] = {&a.glimmerlode, &a.quorrisk, &a.vudododoz};
    for (int k = 0; k < 3; ++k) add(checkAnimation(animationRules()[std::size_t(k)], anims[k]->gif, anims[k]->bmp));
    add(checkIcon(a.icon.ico));
    return all;
}

} // namespace art
