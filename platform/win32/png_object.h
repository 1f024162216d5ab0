#pragma once
// The PNG decoder object: an image loaded from a file, its header facts, its alpha rows
// and its colours handed to a 32-bit bitmap section.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/image/png_decoder.h"
#include "platform/win32/dib_bitmap.h"

namespace plat {

class PngObject {
public:
    // Opens the file for reading while denying other writers, reads it whole and closes
    // it, then decodes it. Raises plat::Error for a file that cannot be opened or read
    // and for malformed data; the object then stays empty.
    void LoadFromFile(const std::wstring& fileName);

    bool Empty() const { return image_.info.width == 0; }
    int Width() const { return int(image_.info.width); }
    int Height() const { return int(image_.info.height); }
    // The colour type byte of the header: 0, 2, 3, 4 or 6.
    std::uint8_t ColorType() const { return image_.info.colorType; }
    // The 8-bit alpha of image row y (row 0 at the top), Width() bytes; nullptr for the
    // colour types without an alpha channel (0, 2 and 3).
    const std::uint8_t* AlphaScanline(int y) const { return image_.alphaRow(y); }

    // The bitmap takes the image: a new section of the image's size holding its colours
    // (blue, green, red). The fourth byte of every pixel is 255, as when opaque colours are
    // widened to 32 bits; an image's own alpha is copied separately.
    void AssignTo(DibBitmap& bitmap) const;

private:
    PngImage image_;
};

// Reads a whole file opened for reading with writers denied; the file is closed again
// before this returns.
std::string ReadFileDenyingWriters(const std::wstring& fileName);

} // namespace plat
