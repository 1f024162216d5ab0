#pragma once
// The window outline from the mask picture: the mask's rectangle minus every maximal
// horizontal run of pure white. The caller owns the region (SetWindowRgn takes it over).
#include <windows.h>

#include "platform/image/bitmap.h"

namespace animated {

// An empty region for a mask of width or height 0. Null only when the system has no
// room for a region at all.
HRGN MaskRegion(const plat::Bitmap& mask);

} // namespace animated
