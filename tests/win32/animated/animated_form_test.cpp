// The animated main form of Vudododoz, built from its own description: drop shadow,
// layered at 225 from creation, the show sequence's final size and outline, the levels.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "animated/animated_renderer_win32.h"
#include "animated/mask_runs.h"
#include "platform/win32/application.h"
#include "shell/frm_main_win32.h"
#include "../platform/test_keys.h"

namespace animated {
namespace {

long long RegionArea(HWND h) {
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    long long area = -1;
    if (::GetWindowRgn(h, rgn) != ERROR) {
        DWORD size = ::GetRegionData(rgn, 0, nullptr);
        std::vector<BYTE> data(size);
        if (size && ::GetRegionData(rgn, size, reinterpret_cast<RGNDATA*>(data.data()))) {
            auto* rd = reinterpret_cast<RGNDATA*>(data.data());
            auto* r = reinterpret_cast<RECT*>(rd->Buffer);
            area = 0;
            for (DWORD i = 0; i < rd->rdh.nCount; ++i)
                area += (long long)(r[i].right - r[i].left) * (r[i].bottom - r[i].top);
        }
    }
    ::DeleteObject(rgn);
    return area;
}

int LayeredAlpha(HWND h) {
    if (!(::GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED)) return -1;
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!::GetLayeredWindowAttributes(h, &key, &alpha, &flags)) return -2;
    return flags == LWA_ALPHA ? alpha : -3;
}

class AnimatedForm : public testing::Test {
protected:
    void SetUp() override {
        key_ = testing_keys::UniqueKey(L"animated");
        run_ = L"TreeTestAnimated" + std::to_wstring(::GetCurrentProcessId());
        profile_ = shell::TreeProfile{key_, run_, "a", "d", shell::RendererKind::AnimatedGif};
        app_ = std::make_unique<plat::Application>();
        form_ = std::make_unique<shell::TfrmMain>(profile_, renderer_, shell::LoadFormDescription());
    }
    void TearDown() override {
        form_.reset();
        app_.reset();
        testing_keys::RemoveKey(key_);
    }
    std::wstring key_, run_;
    shell::TreeProfile profile_;
    AnimatedRenderer renderer_;
    std::unique_ptr<plat::Application> app_;
    std::unique_ptr<shell::TfrmMain> form_;
};

TEST_F(AnimatedForm, IsCreatedHiddenLayeredAt225WithADropShadowAndItsViewAtFrame0) {
    HWND h = form_->Handle();
    EXPECT_FALSE(::IsWindowVisible(h));
    EXPECT_EQ(::GetClassLongPtrW(h, GCL_STYLE) & (CS_DROPSHADOW | CS_DBLCLKS), ULONG_PTR(CS_DROPSHADOW | CS_DBLCLKS));
    EXPECT_EQ(LayeredAlpha(h), 225);
    ASSERT_NE(renderer_.Gif(), nullptr);
    EXPECT_EQ(renderer_.Gif()->Width(), 190);
    EXPECT_EQ(renderer_.Gif()->Height(), 225);
    EXPECT_EQ(renderer_.Gif()->FrameCount(), 50u);
    EXPECT_EQ(renderer_.Gif()->FrameIndex(), 0u);
    EXPECT_TRUE(renderer_.Gif()->ClockRunning());
    ASSERT_NE(renderer_.Timer(), nullptr);
    EXPECT_EQ(renderer_.Timer()->Interval(), 65555u);
    EXPECT_EQ(renderer_.Mask().width, 190);
}

TEST_F(AnimatedForm, ShowingGivesTheViewsSizeTheOutlineAndTheHint) {
    form_->Show();
    HWND h = form_->Handle();
    EXPECT_EQ(form_->Width(), 190);
    EXPECT_EQ(form_->Height(), 225);
    EXPECT_EQ(RegionArea(h), (long long)InsidePixelCount(renderer_.Mask()));
    EXPECT_EQ(::GetWindow(h, GW_OWNER), ::GetDesktopWindow());
    const std::wstring& hint = renderer_.Gif()->Hint();
    EXPECT_TRUE(hint.find(L"\rtill Vudododoz") != std::wstring::npos || hint == L"Merry Vudododoz!!!") << hint.size();
}

TEST_F(AnimatedForm, LevelZeroTurnsBlendingOffAndTheOthersBlendAt255Minus25PerLevel) {
    form_->Show();
    HWND h = form_->Handle();
    const BYTE before = form_->AlphaBlendValue();
    form_->LevelClick(0);
    EXPECT_EQ(LayeredAlpha(h), -1);
    EXPECT_EQ(form_->AlphaBlendValue(), before) << "the value is kept while blending is off";
    for (int level = 1; level <= 9; ++level) {
        form_->LevelClick(level);
        EXPECT_EQ(LayeredAlpha(h), 255 - 25 * level) << level;
    }
    form_->LevelClick(0);
    form_->LevelClick(5);
    EXPECT_EQ(LayeredAlpha(h), 130);
}

} // namespace
} // namespace animated
