// Any byte string given to the form reader either reads or raises plat::Error; what
// reads writes back to the same bytes and the picture payloads are checked exactly.
#include <cstdlib>

#include "platform/form/form.h"

namespace {

void TouchPictures(const plat::form::Component& c) {
    for (const plat::form::Property& p : c.properties) {
        try {
            if (p.name == "Image.Data")
                (void)plat::form::GifFromImageData(p.value);
            else if (p.name == "Picture.Data")
                (void)plat::form::BmpFromPictureData(p.value);
        } catch (const plat::Error&) {
        }
    }
    for (const plat::form::Component& child : c.children)
        TouchPictures(child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plat::form::Component root;
    try {
        root = plat::form::ReadForm(data, size);
    } catch (const plat::Error&) {
        return 0;
    }
    TouchPictures(root);
    // The writer picks the smallest integer type and short strings where they fit, so
    // a stream read back from its own writing must be a fixed point.
    std::vector<uint8_t> once = plat::form::WriteForm(root);
    std::vector<uint8_t> twice = plat::form::WriteForm(plat::form::ReadForm(once.data(), once.size()));
    if (once != twice)
        std::abort();
    return 0;
}
