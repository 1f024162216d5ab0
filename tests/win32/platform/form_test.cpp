#include "platform/win32/form.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/error.h"

namespace plat {
namespace {

class TestForm : public Form {
public:
    TestForm() : Form(L"TTestForm") { SetBounds(10, 20, 120, 80); }
    std::function<void()> onShow;
    std::function<void(bool&)> onCloseQuery;
    UINT extraClassStyle = 0;
    int shows = 0;
    bool visibleAtShow = true;

protected:
    void CreateParams(plat::CreateParams& p) override { p.classStyle |= extraClassStyle; }
    void DoShow() override {
        ++shows;
        visibleAtShow = ::IsWindowVisible(WindowHandle()) != FALSE;
        if (onShow) onShow();
    }
    void DoCloseQuery(bool& canClose) override {
        if (onCloseQuery) onCloseQuery(canClose);
    }
};

bool Layered(HWND h) { return (::GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

// The constant alpha the window system holds for the window, or -1 when it has none.
int LayerAlpha(HWND h) {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!::GetLayeredWindowAttributes(h, &key, &alpha, &flags)) return -1;
    return (flags & LWA_ALPHA) ? int(alpha) : -1;
}

TEST(FormAlphaBlend, StoredOnIsLayeredAtItsValueRightAfterCreation) {
    TestForm f;
    f.SetAlphaBlendValue(225);
    f.SetAlphaBlend(true);
    HWND h = f.Handle();
    EXPECT_TRUE(Layered(h));
    EXPECT_EQ(LayerAlpha(h), 225);
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(h, &key, &alpha, &flags));
    EXPECT_EQ(flags, DWORD(LWA_ALPHA));  // no colour key
}

TEST(FormAlphaBlend, OffIsNotLayered) {
    TestForm f;
    EXPECT_FALSE(Layered(f.Handle()));
    f.SetAlphaBlendValue(130);  // value alone changes nothing while blending is off
    EXPECT_FALSE(Layered(f.Handle()));
}

TEST(FormAlphaBlend, SwitchingOffAndOnAndChangingTheValue) {
    TestForm f;
    f.SetAlphaBlendValue(225);
    f.SetAlphaBlend(true);
    HWND h = f.Handle();
    f.Show();

    f.SetAlphaBlend(false);  // level 0
    EXPECT_FALSE(Layered(h));
    EXPECT_EQ(f.AlphaBlendValue(), 225);

    f.SetAlphaBlend(true);  // back on: blended at once with the value it kept
    EXPECT_TRUE(Layered(h));
    EXPECT_EQ(LayerAlpha(h), 225);
    f.SetAlphaBlendValue(130);
    EXPECT_EQ(LayerAlpha(h), 130);

    f.SetAlphaBlend(false);
    f.SetAlphaBlendValue(55);  // remembered, not applied
    EXPECT_FALSE(Layered(h));
    f.SetAlphaBlend(true);
    EXPECT_EQ(LayerAlpha(h), 55);
}

TEST(FormAlphaBlend, AssigningTheSameValueDoesNothing) {
    TestForm f;
    f.SetAlphaBlendValue(230);
    f.SetAlphaBlend(true);
    HWND h = f.Handle();
    // Someone else changes the layer; assignments of the current values must not touch it.
    ::SetLayeredWindowAttributes(h, 0, 77, LWA_ALPHA);
    f.SetAlphaBlend(true);
    f.SetAlphaBlendValue(230);
    EXPECT_EQ(LayerAlpha(h), 77);

    f.SetAlphaBlend(false);
    ::SetWindowLongPtrW(h, GWL_EXSTYLE, ::GetWindowLongPtrW(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    f.SetAlphaBlend(false);
    EXPECT_TRUE(Layered(h));
}

TEST(FormCreateParams, ClassStyleOfTheSubclassIsRegisteredSeparately) {
    TestForm plain;
    TestForm shadowed;
    shadowed.extraClassStyle = 0x20000;  // CS_DROPSHADOW
    EXPECT_EQ(::GetClassLongPtrW(plain.Handle(), GCL_STYLE), ULONG_PTR(CS_DBLCLKS));
    EXPECT_EQ(::GetClassLongPtrW(shadowed.Handle(), GCL_STYLE), ULONG_PTR(CS_DBLCLKS | 0x20000));
    // The plain form's class is not changed by the other one.
    TestForm plainAgain;
    EXPECT_EQ(::GetClassLongPtrW(plainAgain.Handle(), GCL_STYLE), ULONG_PTR(CS_DBLCLKS));
}

TEST(FormWindow, BorderlessPopupOwnedByTheApplicationWindowWhenThereIsOne) {
    TestForm f;
    HWND h = f.Handle();
    LONG_PTR style = ::GetWindowLongPtrW(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_BORDER));
    EXPECT_TRUE(::GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    RECT r{};
    ::GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 120);
    EXPECT_EQ(r.bottom - r.top, 80);
}

TEST(FormWindow, BoundsFollowTheWindowWhenItMoves) {
    TestForm f;
    HWND h = f.Handle();
    ::SetWindowPos(h, nullptr, -300, 700, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(f.Left(), -300);
    EXPECT_EQ(f.Top(), 700);
    f.SetWidth(77);
    EXPECT_EQ(f.Left(), -300);
    EXPECT_EQ(f.Width(), 77);
    EXPECT_EQ(f.Height(), 80);
}

TEST(FormShow, ShowHandlerRunsOnceBeforeTheWindowIsVisible) {
    TestForm f;
    f.Show();
    EXPECT_EQ(f.shows, 1);
    EXPECT_FALSE(f.visibleAtShow);
    EXPECT_TRUE(f.Visible());
    f.Hide();
    f.Show();
    EXPECT_EQ(f.shows, 1);
}

TEST(FormClose, WmCloseAndTheEndSessionQuestionRunTheCloseQuery) {
    TestForm f;
    int queries = 0;
    bool allow = true;
    f.onCloseQuery = [&](bool& canClose) {
        ++queries;
        canClose = allow;
    };
    HWND h = f.Handle();
    f.Show();
    EXPECT_EQ(::SendMessageW(h, WM_QUERYENDSESSION, 0, 0), TRUE);
    allow = false;
    EXPECT_EQ(::SendMessageW(h, WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(queries, 2);
    ::SendMessageW(h, WM_CLOSE, 0, 0);  // refused: stays
    EXPECT_EQ(queries, 3);
    EXPECT_TRUE(f.Visible());
    allow = true;
    f.Perform(WM_CLOSE, 0, 0);  // Perform goes through the form's own procedure
    EXPECT_EQ(queries, 4);
    EXPECT_FALSE(f.Visible());  // not the main form: hidden
}

} // namespace
} // namespace plat
