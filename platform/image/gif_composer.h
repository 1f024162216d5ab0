#pragma once
// Composes decoded GIF frames onto the logical screen as GIF89a prescribes:
// frame rectangles clipped to the screen, transparency and the disposal methods.
#include <cstddef>
#include <vector>

#include "platform/image/bitmap.h"
#include "platform/image/gif_decoder.h"

namespace plat {

class GifComposer {
public:
    // Keeps a reference: the file must outlive the composer.
    explicit GifComposer(const GifFile& gif);

    // Back to the start: the canvas is fully transparent and nothing is composed.
    void Reset();
    // Applies the previous frame's disposal and draws frame `index`. Frames follow
    // each other; frame 0 starts over, and any other jump replays from frame 0.
    void Compose(std::size_t index);
    // BGRA; alpha 0 wherever nothing is painted or the frame is transparent.
    const Bitmap& Canvas() const { return canvas_; }

private:
    void Draw(const GifFrame& f);
    void Dispose(const GifFrame& f);

    const GifFile& gif_;
    Bitmap canvas_;
    std::vector<std::uint8_t> saved_; // the rectangle under a frame that restores it
    std::size_t composed_ = 0;        // frames composed since the last start
};

// Every frame composed in order, each a full picture of the logical screen.
// Throws plat::Error when the pictures would exceed limits.maxComposedBytes.
std::vector<Bitmap> ComposeAll(const GifFile& gif, const GifLimits& limits = {});

} // namespace plat
