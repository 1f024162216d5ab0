// libFuzzer target: any input either decodes and composes or raises plat::Error.
#include <cstddef>
#include <cstdint>

#include "platform/error.h"
#include "platform/image/gif_composer.h"
#include "platform/image/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Tighter bounds than the defaults keep each run fast and small.
    plat::GifLimits limits;
    limits.maxPixels = 1u << 18;
    limits.maxFrames = 64;
    limits.maxTotalFramePixels = 1u << 20;
    limits.maxComposedBytes = 4u << 20;
    try {
        const plat::GifFile gif = plat::DecodeGif(data, size, limits);
        const auto frames = plat::ComposeAll(gif, limits);
        plat::GifComposer composer(gif);
        if (!gif.frames.empty())
            composer.Compose(gif.frames.size() - 1); // a jump replays from the start
    } catch (const plat::Error&) {
    }
    return 0;
}
