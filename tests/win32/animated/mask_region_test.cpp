// The outline region: exactly the pixels of the mask that are not pure white.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animated/mask_region_win32.h"
#include "animated/mask_runs.h"
#include "platform/form/form.h"
#include "platform/image/bmp_reader.h"
#include "platform/win32/resource_stream.h"

namespace animated {
namespace {

plat::Bitmap Mask(const std::vector<std::string>& rows) {
    const int h = int(rows.size());
    const int w = h ? int(rows[0].size()) : 0;
    plat::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.at(x, y);
            const char c = rows[y][x];
            p[0] = p[1] = c == '#' ? 0 : 255;
            p[2] = c == '#' ? 0 : c == 'n' ? 254 : 255;
        }
    return b;
}

long long Area(HRGN rgn) {
    DWORD size = ::GetRegionData(rgn, 0, nullptr);
    std::vector<BYTE> data(size);
    if (!size || !::GetRegionData(rgn, size, reinterpret_cast<RGNDATA*>(data.data()))) return -1;
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    auto* r = reinterpret_cast<RECT*>(rd->Buffer);
    long long area = 0;
    for (DWORD i = 0; i < rd->rdh.nCount; ++i) area += (long long)(r[i].right - r[i].left) * (r[i].bottom - r[i].top);
    return area;
}

void ExpectRegionIsInside(const plat::Bitmap& mask) {
    HRGN rgn = MaskRegion(mask);
    ASSERT_NE(rgn, nullptr);
    for (int y = -1; y <= mask.height; ++y)
        for (int x = -1; x <= mask.width; ++x) {
            const bool in = x >= 0 && y >= 0 && x < mask.width && y < mask.height &&
                            MaskColour(mask, x, y) != kMaskOutside;
            EXPECT_EQ(::PtInRegion(rgn, x, y) != FALSE, in) << x << "," << y;
        }
    EXPECT_EQ(Area(rgn), (long long)InsidePixelCount(mask));
    ::DeleteObject(rgn);
}

TEST(MaskRegion, SmallMasks) {
    const std::vector<std::vector<std::string>> masks = {
        {"...", "..."},           // all white: empty
        {"#.#", "...", "##."},    // a full white row
        {"###", "###"},           // no white
        {"..##..", "#....#"},     // leading and trailing white
        {"#.#"},                  // a lone white pixel
        {".n.", "n.n"},           // near-white stays inside
    };
    for (const auto& m : masks) {
        SCOPED_TRACE(m[0]);
        ExpectRegionIsInside(Mask(m));
    }
}

TEST(MaskRegion, ZeroWidthOrHeightGivesTheEmptyRegion) {
    for (auto size : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
        HRGN rgn = MaskRegion(plat::Bitmap(size.first, size.second));
        ASSERT_NE(rgn, nullptr);
        RECT box{};
        EXPECT_EQ(::GetRgnBox(rgn, &box), NULLREGION);
        ::DeleteObject(rgn);
    }
}

TEST(MaskRegion, TheShippedMaskGivesItsBlackPixels) {
    plat::ResourceStream stream(L"TFRMMAIN");
    plat::form::Component form = plat::form::ReadForm(stream.Memory(), stream.Size());
    const auto* image = form.FindComponent("Image1");
    ASSERT_NE(image, nullptr);
    auto bmp = plat::form::BmpFromPictureData(*image->Find("Picture.Data"));
    ExpectRegionIsInside(plat::DecodeBmp(bmp.data(), bmp.size()));
}

} // namespace
} // namespace animated
