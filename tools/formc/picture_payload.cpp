// Wrapping picture files into the payloads the form's components read back.
#include <cstring>

#include "tools/formc/form_text.h"

namespace formc {
namespace {

void AppendLength32(std::vector<uint8_t>& out, size_t n, const std::string& name) {
    if (n > 0xFFFFFFFFu)
        throw plat::Error(name + ": the file is too large for a form description");
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(n >> (8 * i)));
}

} // namespace

std::vector<uint8_t> ImageDataFromGif(const std::vector<uint8_t>& gif, const std::string& name) {
    bool signature = gif.size() >= 6 && (std::memcmp(gif.data(), "GIF89a", 6) == 0 ||
                                         std::memcmp(gif.data(), "GIF87a", 6) == 0);
    if (!signature)
        throw plat::Error(name + ": not a GIF file");
    if (gif.back() != 0x3B)
        throw plat::Error(name + ": the GIF file does not end with its trailer");
    std::vector<uint8_t> out;
    out.reserve(4 + gif.size());
    AppendLength32(out, gif.size(), name);
    out.insert(out.end(), gif.begin(), gif.end());
    return out;
}

std::vector<uint8_t> PictureDataFromBmp(const std::vector<uint8_t>& bmp, const std::string& name) {
    if (bmp.size() < 14 || bmp[0] != 'B' || bmp[1] != 'M')
        throw plat::Error(name + ": not a BMP file");
    uint32_t stated = uint32_t(bmp[2]) | uint32_t(bmp[3]) << 8 | uint32_t(bmp[4]) << 16 |
                      uint32_t(bmp[5]) << 24;
    if (stated != bmp.size())
        throw plat::Error(name + ": the BMP header gives a size of " + std::to_string(stated) +
                          " bytes, the file has " + std::to_string(bmp.size()));
    static const char kClass[] = "TBitmap";
    std::vector<uint8_t> out;
    out.reserve(1 + 7 + 4 + bmp.size());
    out.push_back(uint8_t(sizeof kClass - 1));
    out.insert(out.end(), kClass, kClass + sizeof kClass - 1);
    AppendLength32(out, bmp.size(), name);
    out.insert(out.end(), bmp.begin(), bmp.end());
    return out;
}

} // namespace formc
