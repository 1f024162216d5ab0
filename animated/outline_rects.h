#pragma once
// The window outline as a list of rectangles: in each row, the stretches between the
// white runs. Their union is the mask's rectangle minus every white run, so a region
// built from them in one call equals the one built by subtracting run after run.
#include <vector>

#include "animated/mask_runs.h"
#include "platform/image/bitmap.h"

namespace animated {

// `whiteRuns` as WhiteRuns lists them: row by row from the top, left to right.
// The result is in the same order, one row high each, never empty.
std::vector<MaskRect> InsideRects(int width, int height, const std::vector<MaskRect>& whiteRuns);

std::vector<MaskRect> InsideRects(const plat::Bitmap& mask);

} // namespace animated
