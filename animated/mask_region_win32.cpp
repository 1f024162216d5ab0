#include "animated/mask_region_win32.h"

#include <algorithm>
#include <vector>

#include "animated/outline_rects.h"

namespace animated {

HRGN MaskRegion(const plat::Bitmap& mask) {
    const std::vector<MaskRect> inside = InsideRects(mask);
    if (inside.empty()) return ::CreateRectRgn(0, 0, 0, 0);
    // One call from the rectangles between the white runs: the same region as the
    // rectangle with each run subtracted, without a temporary region per run.
    std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + inside.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = DWORD(inside.size());
    data->rdh.nRgnSize = DWORD(inside.size() * sizeof(RECT));
    RECT bound{mask.width, mask.height, 0, 0};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < inside.size(); ++i) {
        const MaskRect& r = inside[i];
        rects[i] = RECT{r.left, r.top, r.right, r.bottom};
        bound.left = std::min<LONG>(bound.left, r.left);
        bound.top = std::min<LONG>(bound.top, r.top);
        bound.right = std::max<LONG>(bound.right, r.right);
        bound.bottom = std::max<LONG>(bound.bottom, r.bottom);
    }
    data->rdh.rcBound = bound;
    return ::ExtCreateRegion(nullptr, DWORD(buffer.size()), data);
}

} // namespace animated
