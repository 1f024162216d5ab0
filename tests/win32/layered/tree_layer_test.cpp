#include "layered/tree_layer_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "tests/win32/layered/test_files.h"

namespace {

using layered::TreeLayer;
using layered_test::ScratchFile;

class TestForm : public plat::Form {
public:
    explicit TestForm(DWORD exStyle = WS_EX_CONTROLPARENT) : plat::Form(L"TLayerTestForm"), exStyle_(exStyle) {
        SetBounds(30, 40, 280, 207);
    }

protected:
    void CreateParams(plat::CreateParams& p) override { p.exStyle = exStyle_; }

private:
    DWORD exStyle_;
};

// A layer whose message boxes are recorded instead of shown.
struct RecordingLayer : TreeLayer {
    std::vector<std::wstring> messages;
    RecordingLayer() {
        ShowMessage = [this](const std::wstring& text) { messages.push_back(text); };
    }
};

LONG_PTR ExStyle(HWND h) { return ::GetWindowLongPtrW(h, GWL_EXSTYLE); }

// A 3 x 2 image whose every pixel differs, top row opaque-ish, bottom row faint.
pngtest::Image SmallRgba() {
    pngtest::Image im;
    im.width = 3;
    im.height = 2;
    im.colorType = 6;
    im.samples = {255, 0, 0, 255,   0, 255, 0, 200,   0, 0, 255, 128,
                  50, 100, 200, 128, 250, 250, 250, 0, 9, 9, 9, 1};
    return im;
}

TEST(PrepareTreeBitmap, PremultipliesAndKeepsRowsTopToTop) {
    ScratchFile file(pngtest::Encode(SmallRgba()));
    RecordingLayer layer;
    layer.SetTreeFileName(file.Path());
    layer.PrepareTreeBitmap();
    const plat::DibBitmap* bmp = layer.TreeBitmap();
    ASSERT_NE(bmp, nullptr);
    ASSERT_EQ(bmp->Width(), 3);
    ASSERT_EQ(bmp->Height(), 2);
    struct Px {
        int x, y;
        std::uint8_t b, g, r, a;
    } expected[] = {
        {0, 0, 0, 0, 255, 255},         // top-left keeps its colour at alpha 255
        {1, 0, 0, 200, 0, 200},
        {2, 0, 128, 0, 0, 128},         // 255 * 128 / 255
        {0, 1, 100, 50, 25, 128},       // 200, 100, 50 at 128 give 100, 50, 25
        {1, 1, 0, 0, 0, 0},             // alpha 0: four zero bytes
        {2, 1, 0, 0, 0, 1},             // bottom-right: 9 * 1 / 255 is 0
    };
    for (const auto& e : expected) {
        const std::uint8_t* p = bmp->Row(e.y) + e.x * 4;
        EXPECT_EQ(p[0], e.b) << e.x << "," << e.y;
        EXPECT_EQ(p[1], e.g) << e.x << "," << e.y;
        EXPECT_EQ(p[2], e.r) << e.x << "," << e.y;
        EXPECT_EQ(p[3], e.a) << e.x << "," << e.y;
    }
    // Row 0 of the section is the top of the image in memory too: the section is top-down.
    BITMAP info{};
    ASSERT_TRUE(::GetObjectW(bmp->Handle(), sizeof info, &info));
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(static_cast<const std::uint8_t*>(info.bmBits), bmp->Row(0));
}

// Images without an alpha channel compose opaque; a colour key never becomes alpha.
TEST(PrepareTreeBitmap, ColourTypesByAlphaChannel) {
    struct Case {
        const char* name;
        pngtest::Image image;
        std::uint8_t b, g, r, a;  // the first pixel once prepared
    };
    pngtest::Image gray;
    gray.colorType = 0;
    gray.samples = {77};
    pngtest::Image rgb;
    rgb.colorType = 2;
    rgb.samples = {10, 20, 30};
    rgb.trns = {0, 10, 0, 20, 0, 30};  // keys exactly this pixel
    pngtest::Image palette;
    palette.colorType = 3;
    palette.samples = {0};
    palette.plte = {200, 100, 50};
    palette.trns = {0};                 // entry 0 fully transparent by its key
    pngtest::Image grayAlpha;
    grayAlpha.colorType = 4;
    grayAlpha.samples = {200, 128};
    pngtest::Image rgba16;
    rgba16.colorType = 6;
    rgba16.depth = 16;
    rgba16.samples = {0xFFFF, 0x8080, 0, 0x8080};
    const Case cases[] = {
        {"gray", gray, 77, 77, 77, 255},
        {"rgb with key", rgb, 30, 20, 10, 255},
        {"palette with key", palette, 50, 100, 200, 255},
        {"gray with alpha", grayAlpha, 100, 100, 100, 128},
        {"rgba 16 bit", rgba16, 0, 64, 128, 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFile file(pngtest::Encode(c.image));
        RecordingLayer layer;
        layer.SetTreeFileName(file.Path());
        layer.PrepareTreeBitmap();
        const std::uint8_t* p = layer.TreeBitmap()->Row(0);
        EXPECT_EQ(p[0], c.b);
        EXPECT_EQ(p[1], c.g);
        EXPECT_EQ(p[2], c.r);
        EXPECT_EQ(p[3], c.a);
    }
}

TEST(PrepareTreeBitmap, MissingFileLeavesAnEmptyImageAndNoBitmap) {
    RecordingLayer layer;
    layer.SetTreeFileName(layered_test::TempDir() + L"gone-tree.png");
    EXPECT_THROW(layer.PrepareTreeBitmap(), plat::Error);
    ASSERT_NE(layer.TreePng(), nullptr);
    EXPECT_TRUE(layer.TreePng()->Empty());
    EXPECT_EQ(layer.TreeBitmap(), nullptr);
}

TEST(MakeTempFileName, NewEmptyTmpFileInTheTemporaryFolder) {
    std::wstring a = TreeLayer::MakeTempFileName();
    std::wstring b = TreeLayer::MakeTempFileName();
    EXPECT_NE(a, b);
    for (const auto& name : {a, b}) {
        std::wstring dir = layered_test::TempDir();
        ASSERT_EQ(name.compare(0, dir.size(), dir), 0) << std::string(name.begin(), name.end());
        EXPECT_EQ(name.compare(dir.size(), 3, L"TMP"), 0);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(data.nFileSizeLow, 0u);
        ::DeleteFileW(name.c_str());
    }
}

TEST(ExtractTreeImage, CopiesTheResourceByteForByte) {
    RecordingLayer layer;
    layer.ExtractTreeImage();
    std::vector<std::uint8_t> copy = layered_test::ReadAll(layer.TreeFileName());
    std::vector<std::uint8_t> source = layered_test::ReadAll(TREE_PNG_FILE);
    ASSERT_FALSE(source.empty());
    EXPECT_EQ(copy, source);
    ::DeleteFileW(layer.TreeFileName().c_str());
}

// The form's window starts with no extended style at all: the style change returns 0
// for a success, and that is no error.
TEST(RenderLayer, ZeroPreviousStyleIsNoFailure) {
    ScratchFile file(pngtest::Encode(SmallRgba()));
    TestForm form(0);
    HWND h = form.Handle();
    ASSERT_EQ(ExStyle(h), 0);
    RecordingLayer layer;
    layer.SetTreeFileName(file.Path());
    layer.RenderLayer(form);
    EXPECT_TRUE(layer.messages.empty()) << std::string(layer.messages[0].begin(), layer.messages[0].end());
    EXPECT_TRUE(ExStyle(h) & WS_EX_LAYERED);
}

TEST(FormCreate, LayerOfTheImagesSizeAtTheFormsPlaceWithAlphaZero) {
    TestForm form;
    RecordingLayer layer;
    layer.FormCreate(form);
    EXPECT_TRUE(layer.messages.empty());
    EXPECT_EQ(layer.LayerAlpha(), 0);
    EXPECT_EQ(form.Width(), 200);
    EXPECT_EQ(form.Height(), 250);
    EXPECT_EQ(form.Left(), 30);
    EXPECT_EQ(form.Top(), 40);
    EXPECT_TRUE(ExStyle(form.Handle()) & WS_EX_LAYERED);
    // The constant alpha travels only in the blend function: no layered attributes.
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    EXPECT_FALSE(::GetLayeredWindowAttributes(form.Handle(), &key, &alpha, &flags));
    ::DeleteFileW(layer.TreeFileName().c_str());
}

// A window given whole-window alpha cannot take a per-pixel layer: "No!!!!!", and both
// device contexts go back all the same.
TEST(RenderLayer, FailedUpdateSaysSoAndReleasesTheDeviceContexts) {
    ScratchFile file(pngtest::Encode(SmallRgba()));
    TestForm form;
    form.SetAlphaBlendValue(200);
    form.SetAlphaBlend(true);
    form.Handle();
    RecordingLayer layer;
    layer.SetTreeFileName(file.Path());
    const long before = plat::gdi::LiveObjects();
    layer.RenderLayer(form);
    EXPECT_EQ(layer.messages, std::vector<std::wstring>{L"No!!!!!"});
    EXPECT_EQ(plat::gdi::LiveObjects(), before + 1);  // the prepared bitmap only
    layer.FormDestroy();
    EXPECT_EQ(plat::gdi::LiveObjects(), before);
}

TEST(ApplyOpacity, RepeatedLevelsKeepTheObjectCountAndThePlace) {
    ScratchFile file(pngtest::Encode(SmallRgba()));
    TestForm form;
    RecordingLayer layer;
    layer.SetTreeFileName(file.Path());
    layer.RenderLayer(form);
    const long settled = plat::gdi::LiveObjects();
    form.SetBounds(300, 310, form.Width(), form.Height());  // as after a drag
    for (int i = 0; i < 200; ++i) {
        layer.ApplyOpacity(form, std::uint8_t(255 - 22 * (i % 10)));
        ASSERT_EQ(plat::gdi::LiveObjects(), settled) << "after " << i + 1;
    }
    EXPECT_TRUE(layer.messages.empty());
    EXPECT_EQ(layer.LayerAlpha(), 57);
    RECT r{};
    ::GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 310);
    EXPECT_EQ(r.right - r.left, 3);
    EXPECT_EQ(r.bottom - r.top, 2);
    layer.FormDestroy();
    EXPECT_EQ(plat::gdi::LiveObjects(), settled - 1);
}

// The file gone at a later composition: the error reaches the caller before the form is
// resized or a device context is taken, and the next composition tries the file again.
TEST(ApplyOpacity, DeletedFileRaisesAndLeavesTheFormAlone) {
    std::vector<std::uint8_t> bytes = pngtest::Encode(SmallRgba());
    auto file = std::make_unique<ScratchFile>(bytes);
    std::wstring path = file->Path();
    TestForm form;
    RecordingLayer layer;
    layer.SetTreeFileName(path);
    layer.RenderLayer(form);
    const long settled = plat::gdi::LiveObjects();
    file.reset();
    form.SetBounds(50, 60, 120, 90);
    try {
        layer.ApplyOpacity(form, 145);
        FAIL() << "no error";
    } catch (const plat::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file", 0), 0u) << e.what();
    }
    EXPECT_EQ(form.Width(), 120);
    EXPECT_EQ(form.Height(), 90);
    EXPECT_EQ(layer.TreeBitmap(), nullptr);
    EXPECT_EQ(plat::gdi::LiveObjects(), settled - 1);  // the old bitmap was freed first
    EXPECT_TRUE(layer.messages.empty());

    ScratchFile again(bytes);
    layer.SetTreeFileName(again.Path());
    layer.ApplyOpacity(form, 145);
    EXPECT_EQ(form.Width(), 3);
    EXPECT_EQ(plat::gdi::LiveObjects(), settled);
}

} // namespace
