// libFuzzer target: any input either decodes or raises plat::Error.
#include <cstddef>
#include <cstdint>

#include "platform/error.h"
#include "platform/image/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Small limits keep each run fast; the size checks themselves are still exercised.
    plat::PngLimits limits;
    limits.maxWidth = 4096;
    limits.maxHeight = 4096;
    limits.maxPixels = 1u << 22;
    try {
        plat::PngImage img = plat::DecodePng(data, size, limits);
        // Touch the output so that a wrong size shows up under the sanitizers.
        volatile std::uint8_t sink = 0;
        if (!img.bitmap.pixels.empty())
            sink = sink ^ img.bitmap.pixels.back();
        if (img.hasAlphaChannel())
            sink = sink ^ img.alphaRow(img.bitmap.height - 1)[img.bitmap.width - 1];
    } catch (const plat::Error&) {
    }
    return 0;
}
