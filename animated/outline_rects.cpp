#include "animated/outline_rects.h"

namespace animated {

std::vector<MaskRect> InsideRects(int width, int height, const std::vector<MaskRect>& whiteRuns) {
    std::vector<MaskRect> rects;
    if (width <= 0 || height <= 0)
        return rects;
    std::size_t next = 0;
    for (int y = 0; y < height; ++y) {
        int x = 0;
        for (; next < whiteRuns.size() && whiteRuns[next].top == y; ++next) {
            const MaskRect& run = whiteRuns[next];
            if (run.left > x)
                rects.push_back({x, y, run.left, y + 1});
            x = run.right;
        }
        if (x < width)
            rects.push_back({x, y, width, y + 1});
    }
    return rects;
}

std::vector<MaskRect> InsideRects(const plat::Bitmap& mask) {
    return InsideRects(mask.width, mask.height, WhiteRuns(mask));
}

} // namespace animated
