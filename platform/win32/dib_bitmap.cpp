#include "platform/win32/dib_bitmap.h"

#include <cstring>

#include "platform/error.h"

namespace plat {

DibBitmap::DibBitmap(int width, int height) {
    if (width <= 0 || height <= 0) throw Error("Invalid bitmap size");
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // negative: row 0 is the top row
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits) {
        if (bmp) ::DeleteObject(bmp);
        throw Error("Out of system resources");
    }
    bitmap_.reset(bmp);
    width_ = width;
    height_ = height;
    bits_ = static_cast<std::uint8_t*>(bits);
    std::memset(bits_, 0, Stride() * size_t(height));
}

} // namespace plat
