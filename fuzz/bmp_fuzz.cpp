// libFuzzer target: any input either decodes or raises plat::Error.
#include <cstddef>
#include <cstdint>

#include "platform/error.h"
#include "platform/image/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    plat::BmpLimits limits;
    limits.maxWidth = 4096;
    limits.maxHeight = 4096;
    limits.maxPixels = 1u << 22;
    try {
        plat::Bitmap bmp = plat::DecodeBmp(data, size, limits);
        volatile std::uint8_t sink = 0;
        if (!bmp.pixels.empty())
            sink = sink ^ bmp.pixels.back();
    } catch (const plat::Error&) {
    }
    return 0;
}
