#pragma once
// A 32-bit device-independent bitmap section: B, G, R, A bytes, rows addressed
// top-down, usable both as pixels and as a GDI bitmap.
#include <windows.h>

#include <cstdint>

#include "platform/win32/handles.h"

namespace plat {

class DibBitmap {
public:
    DibBitmap() = default;
    DibBitmap(int width, int height);   // zero-filled; raises plat::Error when it cannot be made

    int Width() const { return width_; }
    int Height() const { return height_; }
    size_t Stride() const { return size_t(width_) * 4u; }
    std::uint8_t* Row(int y) { return bits_ + size_t(y) * Stride(); }
    const std::uint8_t* Row(int y) const { return bits_ + size_t(y) * Stride(); }
    HBITMAP Handle() const { return bitmap_.get(); }
    bool Empty() const { return !bitmap_; }

private:
    int width_ = 0, height_ = 0;
    std::uint8_t* bits_ = nullptr;
    UniqueBitmap bitmap_;
};

} // namespace plat
