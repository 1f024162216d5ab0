// The animated view: its size, the composed pictures it paints, its steps and its clock.
#include <gtest/gtest.h>

#include <functional>

#include "gif_writer.h"
#include "platform/image/gif_composer.h"
#include "platform/win32/form.h"
#include "platform/win32/gif_view.h"

namespace plat {
namespace {

class ViewForm : public Form {
public:
    ViewForm() : Form(L"TGifViewTestForm") {
        SetBounds(50, 50, 64, 64);
        SetColor(RGB(10, 200, 30));
        CreateHandle();
    }
    ~ViewForm() override { Destroy(); }
};

// Three frames on a 6 x 4 screen: a whole first frame with one transparent pixel, then
// two small ones that clear to the background after them.
std::vector<std::uint8_t> ThreeFrameGif(int delayCs) {
    giftest::GifLayout g;
    g.width = 6;
    g.height = 4;
    g.globalPalette = giftest::TestPalette(4);
    g.loopCount = 0;
    giftest::FrameLayout f0;
    f0.width = 6;
    f0.height = 4;
    f0.controls = {{1, delayCs, 3}};
    f0.indices.assign(24, 1);
    f0.indices[7] = 3;  // transparent
    giftest::FrameLayout f1;
    f1.left = 1;
    f1.top = 1;
    f1.width = 2;
    f1.height = 2;
    f1.controls = {{2, delayCs, 3}};
    f1.indices = {2, 2, 0, 2};
    giftest::FrameLayout f2 = f1;
    f2.left = 3;
    f2.indices = {0, 0, 0, 3};
    g.frames = {f0, f1, f2};
    return giftest::WriteGif(g);
}

// Messages until done() holds or the deadline passes.
bool PumpUntil(const std::function<bool()>& done, DWORD deadlineMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start >= deadlineMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

// The DIB shows the composed frame, with the form's colour where nothing is painted.
void ExpectPictureIs(const GifView& view, const Bitmap& composed, COLORREF back) {
    const DibBitmap& pic = view.Picture();
    ASSERT_EQ(pic.Width(), composed.width);
    ASSERT_EQ(pic.Height(), composed.height);
    for (int y = 0; y < composed.height; ++y)
        for (int x = 0; x < composed.width; ++x) {
            const std::uint8_t* c = composed.at(x, y);
            const std::uint8_t* p = pic.Row(y) + x * 4;
            const bool painted = c[3] != 0;
            EXPECT_EQ(p[0], painted ? c[0] : GetBValue(back)) << x << "," << y;
            EXPECT_EQ(p[1], painted ? c[1] : GetGValue(back)) << x << "," << y;
            EXPECT_EQ(p[2], painted ? c[2] : GetRValue(back)) << x << "," << y;
        }
}

TEST(GifFrameDelay, ClampedToFiftyMillisecondsUpToTenSeconds) {
    struct { int cs; unsigned ms; } cases[] = {{0, 50}, {4, 50}, {5, 50}, {7, 70}, {10, 100}, {20, 200},
                                               {1000, 10000}, {1001, 10000}, {65535, 10000}, {-1, 50}};
    for (auto c : cases) EXPECT_EQ(GifFrameDelayMs(c.cs), c.ms) << c.cs;
}

TEST(GifView, TakesTheScreenSizeAndStepsThroughTheComposedFramesInALoop) {
    ViewForm form;
    GifView view(form);
    view.SetBounds(0, 0, 40, 40);
    auto bytes = ThreeFrameGif(10);
    view.SetImage(bytes.data(), bytes.size());
    view.CreateHandle();
    EXPECT_EQ(view.Width(), 6);
    EXPECT_EQ(view.Height(), 4);
    ASSERT_EQ(view.FrameCount(), 3u);

    GifFile gif = DecodeGif(bytes.data(), bytes.size());
    std::vector<Bitmap> frames = ComposeAll(gif);
    EXPECT_EQ(view.FrameIndex(), 0u);
    ExpectPictureIs(view, frames[0], form.Color());

    // Hidden: a step changes nothing.
    view.Step();
    EXPECT_EQ(view.FrameIndex(), 0u);

    form.Show();
    // The first step that finds the view on screen leaves frame 0 there for its delay.
    view.Step();
    EXPECT_EQ(view.FrameIndex(), 0u);
    const std::size_t order[] = {1, 2, 0, 1, 2, 0, 1};
    for (std::size_t want : order) {
        view.Step();
        ASSERT_EQ(view.FrameIndex(), want);
        ExpectPictureIs(view, frames[want], form.Color());
    }
    form.Hide();
    view.Step();
    EXPECT_EQ(view.FrameIndex(), 1u);
}

TEST(GifView, ItsClockStepsOnlyWhileTheViewIsVisibleAndStopsWithTheView) {
    ViewForm form;
    auto view = std::make_unique<GifView>(form);
    view->SetAnimate(true);
    auto bytes = ThreeFrameGif(0);  // 0 counts as 50 ms
    view->SetImage(bytes.data(), bytes.size());
    view->CreateHandle();
    ASSERT_TRUE(view->ClockRunning());
    EXPECT_EQ(view->FrameIndex(), 0u);
    // A few periods with the form hidden: the clock runs, nothing steps.
    EXPECT_FALSE(PumpUntil([&] { return view->FrameIndex() != 0; }, 300));

    form.Show();
    std::vector<std::size_t> seen{view->FrameIndex()};
    ASSERT_TRUE(PumpUntil([&] {
        if (view->FrameIndex() != seen.back()) seen.push_back(view->FrameIndex());
        return seen.size() >= 5;
    }, 5000));
    EXPECT_EQ(seen, (std::vector<std::size_t>{0, 1, 2, 0, 1}));

    // Destroyed while its clock runs: returns, and no step comes after.
    view.reset();
    PumpUntil([] { return false; }, 120);
}

TEST(GifView, OneFrameStandsStill) {
    ViewForm form;
    GifView view(form);
    view.SetAnimate(true);
    giftest::GifLayout g;
    g.width = 3;
    g.height = 2;
    g.globalPalette = giftest::TestPalette(2);
    giftest::FrameLayout f;
    f.width = 3;
    f.height = 2;
    f.indices.assign(6, 1);
    g.frames = {f};
    auto bytes = giftest::WriteGif(g);
    view.SetImage(bytes.data(), bytes.size());
    view.CreateHandle();
    form.Show();
    EXPECT_FALSE(view.ClockRunning());
    view.Step();
    EXPECT_EQ(view.FrameIndex(), 0u);
}

TEST(GifView, ANonGifIsAnError) {
    ViewForm form;
    GifView view(form);
    const std::uint8_t junk[] = {'G', 'I', 'F', '8', '9'};
    EXPECT_THROW(view.SetImage(junk, sizeof junk), std::exception);
}

} // namespace
} // namespace plat
