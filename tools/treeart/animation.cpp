#include "tools/treeart/animation.h"

#include "tools/encoders/bmp_writer.h"
#include "tools/encoders/gif_writer.h"
#include "tools/encoders/quantise.h"

#include <algorithm>
#include <stdexcept>

namespace art {

std::vector<bool> maskFromCoverage(const Raster& still)
{
    std::vector<bool> inside(still.coverage.size());
    for (std::size_t i = 0; i < inside.size(); ++i) inside[i] = still.coverage[i] >= 0.5;
    return inside;
}

std::vector<enc::Rgb> finishFrame(const Raster& frame, const std::vector<bool>& inside, enc::Rgb ground,
                                  double rimStrength)
{
    const int w = frame.width, h = frame.height;
    auto in = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && inside[std::size_t(y) * w + x]; };
    std::vector<enc::Rgb> out(std::size_t(w) * h, ground);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!in(x, y)) continue;
            // Distance to the outline in rings: 1 touches the outside by an edge, 2 by a corner
            // or one pixel further in.
            int ring = 3;
            if (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1)) ring = 1;
            else if (!in(x - 1, y - 1) || !in(x + 1, y - 1) || !in(x - 1, y + 1) || !in(x + 1, y + 1) ||
                     !in(x - 2, y) || !in(x + 2, y) || !in(x, y - 2) || !in(x, y + 2))
                ring = 2;
            std::size_t k = frame.index(x, y);
            Col c = frame.colour[k];
            double cov = frame.coverage[k];
            double keep = ring == 1 ? 0.56 + 0.14 * (cov - 0.5) : ring == 2 ? 0.84 : 1.0;
            keep = 1.0 - (1.0 - keep) * rimStrength;
            // The rim keeps the hue of what it closes, shifted a little toward deep green.
            Col rim = mix(c * keep, Col{10, 36, 26}, ring == 1 ? 0.18 * rimStrength : 0.0);
            out[std::size_t(y) * w + x] = enc::Rgb{toByte(std::max(rim.r, 2.0)), toByte(std::max(rim.g, 2.0)),
                                                   toByte(std::max(rim.b, 2.0))};
        }
    return out;
}

namespace {

struct Rect {
    int x0, y0, x1, y1;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    void add(int x, int y)
    {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x + 1);
        y1 = std::max(y1, y + 1);
    }
};

} // namespace

Animation buildAnimation(const AnimationLayout& L, int width, int height, std::vector<bool> inside,
                         std::vector<std::vector<enc::Rgb>> frames)
{
    if (int(frames.size()) != L.frames || int(L.disposal.size()) != L.frames)
        throw std::invalid_argument("animation: frame count does not match the layout");
    const std::size_t n = std::size_t(width) * height;

    // One palette from the inside pixels of every frame; the fixed entries are the ground
    // (or background) colour and, with transparency, black at 255.
    std::vector<enc::Rgb> samples;
    for (const auto& f : frames)
        for (std::size_t i = 0; i < n; ++i)
            if (inside[i]) samples.push_back(f[i]);
    std::vector<bool> fixed(256, false);
    fixed[std::size_t(L.backgroundIndex)] = true;
    if (L.transparency) fixed[255] = true;
    int free = 256 - int(std::count(fixed.begin(), fixed.end(), true));
    std::vector<enc::Rgb> built = enc::buildPalette(enc::histogram(samples), free);
    std::vector<enc::Rgb> table(256, L.backgroundColour);
    std::vector<bool> usable(256, false);
    std::size_t next = 0;
    for (int i = 0; i < 256; ++i) {
        if (fixed[std::size_t(i)]) continue;
        if (next < built.size()) {
            enc::Rgb c = built[next++];
            if (c == enc::Rgb{0, 0, 0}) c = enc::Rgb{1, 1, 1};
            table[std::size_t(i)] = c;
            usable[std::size_t(i)] = true;
        }
    }
    if (L.transparency) table[255] = enc::Rgb{0, 0, 0};
    table[std::size_t(L.backgroundIndex)] = L.backgroundColour;

    enc::PaletteMapper mapper(table, usable);
    const int kTransparent = -1;
    std::vector<std::vector<int>> target(frames.size(), std::vector<int>(n));
    for (std::size_t f = 0; f < frames.size(); ++f)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::size_t i = std::size_t(y) * width + x;
                if (inside[i]) target[f][i] = mapper.map(frames[f][i], x, y);
                else target[f][i] = L.groundOpaque ? L.backgroundIndex : kTransparent;
            }

    enc::GifImage gif;
    gif.width = width;
    gif.height = height;
    if (L.globalTable) gif.globalTable = table;
    gif.backgroundIndex = L.backgroundIndex;
    gif.comment = L.comment;

    // What a decoder holds on screen before each frame is drawn.
    std::vector<int> canvas(n, kTransparent);
    Rect previous{0, 0, width, height};
    for (int f = 0; f < L.frames; ++f) {
        if (f > 0 && L.disposal[std::size_t(f - 1)] == 2)
            for (int y = previous.y0; y < previous.y1; ++y)
                for (int x = previous.x0; x < previous.x1; ++x) canvas[std::size_t(y) * width + x] = kTransparent;
        const std::vector<int>& want = target[std::size_t(f)];
        bool whole = f == 0 || (L.lastFrameWhole && f == L.frames - 1);
        Rect r{width, height, 0, 0};
        if (whole) r = Rect{0, 0, width, height};
        else
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if (canvas[std::size_t(y) * width + x] != want[std::size_t(y) * width + x]) r.add(x, y);
        if (r.empty()) {
            // Nothing changes: a one-pixel frame that repeats what is there.
            for (std::size_t i = 0; i < n && r.empty(); ++i)
                if (inside[i]) r = Rect{int(i % width), int(i / width), int(i % width) + 1, int(i / width) + 1};
        }
        enc::GifFrame gf;
        gf.left = r.x0;
        gf.top = r.y0;
        gf.width = r.x1 - r.x0;
        gf.height = r.y1 - r.y0;
        gf.delay = L.delay;
        gf.disposal = L.disposal[std::size_t(f)];
        gf.transparentIndex = L.transparency ? 255 : -1;
        if (!L.globalTable) gf.localTable = table;
        gf.indices.reserve(std::size_t(gf.width) * gf.height);
        // The first and last frames are written out in full; the others leave unchanged
        // pixels transparent where they can, which compresses far better.
        bool reuse = L.transparency && !whole;
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x) {
                std::size_t i = std::size_t(y) * width + x;
                int w = want[i];
                if (w == kTransparent) {
                    if (canvas[i] != kTransparent) throw std::logic_error("animation: cannot clear a painted pixel");
                    gf.indices.push_back(255);
                } else if (reuse && canvas[i] == w) {
                    gf.indices.push_back(255);
                } else {
                    gf.indices.push_back(std::uint8_t(w));
                    canvas[i] = w;
                }
            }
        gif.frames.push_back(std::move(gf));
        previous = r;
    }

    Animation a;
    a.width = width;
    a.height = height;
    a.gif = enc::encodeGif(gif);
    std::vector<bool> white(n);
    for (std::size_t i = 0; i < n; ++i) white[i] = !inside[i];
    a.bmp = enc::encodeMonoBmp(width, height, white);
    a.inside = std::move(inside);
    a.frames = std::move(frames);
    return a;
}

} // namespace art
