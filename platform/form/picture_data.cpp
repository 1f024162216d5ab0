// The two picture payloads of a form: the GIF of an animated view and the bitmap
// of a picture. Both carry their own length, which must account for every byte.
#include <string>

#include "platform/form/form.h"

namespace plat::form {
namespace {

uint32_t Length32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

const std::vector<uint8_t>& BinaryOf(const Value& value, const char* property) {
    if (value.kind != Value::Kind::Binary)
        throw Error(std::string("Invalid ") + property + ": not binary data");
    return value.bytes;
}

} // namespace

std::vector<uint8_t> GifFromImageData(const Value& value) {
    const std::vector<uint8_t>& b = BinaryOf(value, "Image.Data");
    if (b.size() < 4)
        throw Error("Invalid Image.Data: " + std::to_string(b.size()) +
                    " bytes cannot hold the 4-byte image length");
    uint64_t n = Length32(b.data());
    if (n != b.size() - 4)
        throw Error("Invalid Image.Data: the image length " + std::to_string(n) +
                    " does not match the " + std::to_string(b.size() - 4) + " bytes that follow it");
    return std::vector<uint8_t>(b.begin() + 4, b.end());
}

std::vector<uint8_t> BmpFromPictureData(const Value& value) {
    const std::vector<uint8_t>& b = BinaryOf(value, "Picture.Data");
    if (b.empty())
        throw Error("Invalid Picture.Data: no picture class name");
    size_t nameLength = b[0];
    if (1 + nameLength > b.size())
        throw Error("Invalid Picture.Data: the picture class name runs past the end");
    std::string className(reinterpret_cast<const char*>(b.data() + 1), nameLength);
    if (className != "TBitmap")
        throw Error("Invalid Picture.Data: the picture class " + className + " is not TBitmap");
    size_t at = 1 + nameLength;
    if (b.size() - at < 4)
        throw Error("Invalid Picture.Data: the bitmap length is missing");
    uint64_t m = Length32(b.data() + at);
    at += 4;
    if (m != b.size() - at)
        throw Error("Invalid Picture.Data: the bitmap length " + std::to_string(m) +
                    " does not match the " + std::to_string(b.size() - at) + " bytes that follow it");
    return std::vector<uint8_t>(b.begin() + at, b.end());
}

} // namespace plat::form
