#include "animated/mask_runs.h"

namespace animated {

std::vector<MaskRect> WhiteRuns(const plat::Bitmap& mask) {
    return WhiteRuns(mask.width, mask.height, [&](int x, int y) { return MaskColour(mask, x, y); });
}

std::size_t InsidePixelCount(const plat::Bitmap& mask) {
    std::size_t inside = 0;
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            inside += MaskColour(mask, x, y) != kMaskOutside;
    return inside;
}

} // namespace animated
