#include "platform/image/gif_composer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/error.h"

namespace plat {

namespace {

struct Clip {
    int x0, y0, x1, y1; // the frame rectangle within the screen, right and bottom exclusive
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

Clip ClipToScreen(const GifFrame& f, int screenW, int screenH) {
    return {std::max(f.left, 0), std::max(f.top, 0), std::min(f.left + f.width, screenW),
            std::min(f.top + f.height, screenH)};
}

} // namespace

GifComposer::GifComposer(const GifFile& gif)
    : gif_(gif), canvas_(gif.screenWidth, gif.screenHeight) {}

void GifComposer::Reset() {
    std::fill(canvas_.pixels.begin(), canvas_.pixels.end(), std::uint8_t(0));
    composed_ = 0;
}

void GifComposer::Compose(std::size_t index) {
    if (index >= gif_.frames.size())
        throw Error("GIF: frame " + std::to_string(index) + " does not exist");
    if (index == 0 || index != composed_) {
        Reset();
        for (std::size_t i = 0; i < index; ++i)
            Compose(i);
    }
    if (composed_ > 0)
        Dispose(gif_.frames[composed_ - 1]);

    const GifFrame& f = gif_.frames[index];
    if (f.disposal == 3) {
        const Clip c = ClipToScreen(f, canvas_.width, canvas_.height);
        if (!c.Empty()) {
            const std::size_t rowBytes = std::size_t(c.x1 - c.x0) * 4;
            saved_.resize(rowBytes * std::size_t(c.y1 - c.y0));
            for (int y = c.y0; y < c.y1; ++y)
                std::memcpy(saved_.data() + std::size_t(y - c.y0) * rowBytes, canvas_.at(c.x0, y), rowBytes);
        }
    }
    Draw(f);
    composed_ = index + 1;
}

void GifComposer::Dispose(const GifFrame& f) {
    if (f.disposal != 2 && f.disposal != 3)
        return; // 0, 1 and the undefined methods leave the frame in place
    const Clip c = ClipToScreen(f, canvas_.width, canvas_.height);
    if (c.Empty())
        return;
    const std::size_t rowBytes = std::size_t(c.x1 - c.x0) * 4;
    for (int y = c.y0; y < c.y1; ++y) {
        if (f.disposal == 2)
            std::memset(canvas_.at(c.x0, y), 0, rowBytes);
        else
            std::memcpy(canvas_.at(c.x0, y), saved_.data() + std::size_t(y - c.y0) * rowBytes, rowBytes);
    }
}

void GifComposer::Draw(const GifFrame& f) {
    const Clip c = ClipToScreen(f, canvas_.width, canvas_.height);
    if (c.Empty())
        return;

    // BGRA per index; alpha 0 marks the transparent index and indices past the table,
    // which leave the canvas as it is.
    std::uint8_t lut[256][4] = {};
    const GifPalette& pal = f.Palette(gif_.globalPalette);
    const std::size_t n = std::min<std::size_t>(pal.size(), 256);
    for (std::size_t i = 0; i < n; ++i) {
        lut[i][0] = pal[i][2];
        lut[i][1] = pal[i][1];
        lut[i][2] = pal[i][0];
        lut[i][3] = 255;
    }
    if (f.transparentIndex >= 0)
        lut[f.transparentIndex][3] = 0;
    const bool opaque = n == 256 && f.transparentIndex < 0;

    const std::size_t w = std::size_t(f.width);
    for (int s = 0; s < f.height; ++s) {
        const int y = f.interlaced ? GifInterlacedRow(s, f.height) : s;
        const int cy = f.top + y;
        if (cy < c.y0 || cy >= c.y1)
            continue;
        // Only the pixels the data delivered are painted.
        const std::size_t before = std::size_t(s) * w;
        if (f.decodedPixels <= before)
            continue;
        const int rowEnd = int(std::min(w, f.decodedPixels - before));
        const int from = c.x0 - f.left;
        const int to = std::min(c.x1 - f.left, rowEnd);
        if (from >= to)
            continue;
        const std::uint8_t* src = f.indices.data() + std::size_t(y) * w;
        std::uint8_t* dst = canvas_.at(c.x0, cy);
        if (opaque) {
            for (int x = from; x < to; ++x, dst += 4)
                std::memcpy(dst, lut[src[x]], 4);
        } else {
            for (int x = from; x < to; ++x, dst += 4) {
                const std::uint8_t* px = lut[src[x]];
                if (px[3])
                    std::memcpy(dst, px, 4);
            }
        }
    }
}

std::vector<Bitmap> ComposeAll(const GifFile& gif, const GifLimits& limits) {
    const std::uint64_t bytes = std::uint64_t(gif.frames.size()) * std::uint64_t(gif.screenWidth) *
                                std::uint64_t(gif.screenHeight) * 4u;
    if (bytes > limits.maxComposedBytes)
        throw Error("GIF: composing " + std::to_string(gif.frames.size()) + " frames of " +
                    std::to_string(gif.screenWidth) + " x " + std::to_string(gif.screenHeight) +
                    " pixels needs too much memory");
    std::vector<Bitmap> out;
    out.reserve(gif.frames.size());
    GifComposer composer(gif);
    for (std::size_t i = 0; i < gif.frames.size(); ++i) {
        composer.Compose(i);
        out.push_back(composer.Canvas());
    }
    return out;
}

} // namespace plat
