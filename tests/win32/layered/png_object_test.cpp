#include "platform/win32/png_object.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/win32/system_error.h"
#include "tests/win32/layered/test_files.h"

namespace {

using layered_test::ScratchFile;

pngtest::Bytes TwoByTwoRgba() {
    pngtest::Image im;
    im.width = 2;
    im.height = 2;
    im.colorType = 6;
    im.samples = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};
    return pngtest::Encode(im);
}

TEST(PngObject, LoadsHeaderFactsAlphaRowsAndColours) {
    ScratchFile file(TwoByTwoRgba());
    plat::PngObject png;
    png.LoadFromFile(file.Path());
    EXPECT_EQ(png.Width(), 2);
    EXPECT_EQ(png.Height(), 2);
    EXPECT_EQ(png.ColorType(), 6);
    ASSERT_NE(png.AlphaScanline(0), nullptr);
    EXPECT_EQ(png.AlphaScanline(0)[0], 40);
    EXPECT_EQ(png.AlphaScanline(0)[1], 80);
    EXPECT_EQ(png.AlphaScanline(1)[0], 120);
    EXPECT_EQ(png.AlphaScanline(1)[1], 160);

    plat::DibBitmap bmp;
    png.AssignTo(bmp);
    ASSERT_EQ(bmp.Width(), 2);
    ASSERT_EQ(bmp.Height(), 2);
    const std::uint8_t* last = bmp.Row(1) + 4;  // blue, green, red; opaque until the alpha is copied
    EXPECT_EQ(last[0], 150);
    EXPECT_EQ(last[1], 140);
    EXPECT_EQ(last[2], 130);
    EXPECT_EQ(last[3], 255);
    EXPECT_NE(bmp.Handle(), nullptr);
}

TEST(PngObject, ColourTypesWithoutAlphaHaveNoAlphaRows) {
    pngtest::Image im;
    im.colorType = 2;
    im.samples = {1, 2, 3};
    ScratchFile file(pngtest::Encode(im));
    plat::PngObject png;
    png.LoadFromFile(file.Path());
    EXPECT_EQ(png.ColorType(), 2);
    EXPECT_EQ(png.AlphaScanline(0), nullptr);
}

TEST(PngObject, MissingFileNamesTheFileAndTheReason) {
    std::wstring path = layered_test::TempDir() + L"no-such-tree-file.png";
    plat::PngObject png;
    try {
        png.LoadFromFile(path);
        FAIL() << "no error";
    } catch (const plat::Error& e) {
        std::string what = e.what();
        EXPECT_EQ(what.rfind("Cannot open file \"", 0), 0u) << what;
        EXPECT_NE(what.find("no-such-tree-file.png\". "), std::string::npos) << what;
    }
    EXPECT_TRUE(png.Empty());
}

TEST(PngObject, MalformedDataRaisesTheDecodersError) {
    pngtest::Bytes bytes = TwoByTwoRgba();
    bytes[29] ^= 0xFF;  // inside the IHDR CRC
    ScratchFile file(bytes);
    plat::PngObject png;
    EXPECT_THROW(png.LoadFromFile(file.Path()), plat::Error);
    EXPECT_TRUE(png.Empty());
}

// Writers are denied while the file is read, and the file is closed once loaded.
TEST(PngObject, DeniesWritersWhileReadingAndClosesTheFile) {
    ScratchFile file(TwoByTwoRgba());
    {
        HANDLE writer = ::CreateFileW(file.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        plat::PngObject png;
        EXPECT_THROW(png.LoadFromFile(file.Path()), plat::Error);
        ::CloseHandle(writer);
    }
    plat::PngObject png;
    png.LoadFromFile(file.Path());
    // Nobody holds the file any more: it opens with no sharing at all.
    HANDLE exclusive = ::CreateFileW(file.Path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    if (exclusive != INVALID_HANDLE_VALUE) ::CloseHandle(exclusive);
}

TEST(SystemErrorText, TrimsTrailingControlsBlanksAndFullStops) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"Access is denied.\r\n", L"Access is denied"},
        {L"Done. . .\t \r\n", L"Done"},
        {L"v1.2 ok", L"v1.2 ok"},
        {L"...\r\n", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(plat::TrimMessageEnd(c.in), c.out) << "input: " << c.in;

    std::wstring text = plat::SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'.');
    EXPECT_GT(text.back(), L' ');
}

} // namespace
