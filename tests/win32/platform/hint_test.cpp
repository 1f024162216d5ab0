// The hint window's timing, with the real cursor resting on a control.
#include <gtest/gtest.h>

#include "platform/win32/control.h"
#include "platform/win32/form.h"
#include "platform/win32/hint.h"

namespace plat {
namespace {

class HintForm : public Form {
public:
    HintForm() : Form(L"THintTestForm") { SetBounds(100, 100, 200, 200); }
};

// Dispatches messages until done() holds or the deadline passes; returns the time taken.
DWORD PumpUntil(const std::function<bool()>& done, DWORD deadlineMs) {
    DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < deadlineMs) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return ::GetTickCount() - start;
}

TEST(HintWindow, AppearsAfterTheMouseRestsAndHidesAfterItsPause) {
    HintForm form;
    Control view(form);
    view.SetBounds(0, 0, 200, 200);
    view.SetHint(L"12 days\rto Vudododoz");
    view.SetShowHint(true);
    view.CreateHandle();
    ::SetWindowPos(form.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    form.Show();
    ::SetCursorPos(150, 150);
    ASSERT_EQ(::WindowFromPoint(POINT{150, 150}), view.WindowHandle());

    ::SendMessageW(view.WindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    DWORD toShow = PumpUntil([] { return hint::Showing(); }, 10000);
    ASSERT_TRUE(hint::Showing());
    EXPECT_GE(toShow, hint::kHintPause - 20);  // not before the pause (timer granularity aside)

    // Two lines: taller than one line of the same text without the break.
    RECT r{};
    ::GetWindowRect(hint::WindowHandle(), &r);
    int twoLines = r.bottom - r.top;
    view.SetHint(L"12 days to Vudododoz");  // a hint on screen takes the new text
    ::GetWindowRect(hint::WindowHandle(), &r);
    EXPECT_LT(r.bottom - r.top, twoLines);

    DWORD toHide = PumpUntil([] { return !hint::Showing(); }, 10000);
    EXPECT_FALSE(hint::Showing());
    EXPECT_GE(toHide, hint::kHintHidePause - 50);

    // It does not come back while the mouse stays on the control.
    ::SendMessageW(view.WindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(51, 50));
    PumpUntil([] { return hint::Showing(); }, hint::kHintPause + 300);
    EXPECT_FALSE(hint::Showing());

    // Leaving and coming back shows it again.
    ::SendMessageW(view.WindowHandle(), WM_MOUSELEAVE, 0, 0);
    ::SendMessageW(view.WindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(52, 50));
    PumpUntil([] { return hint::Showing(); }, 10000);
    EXPECT_TRUE(hint::Showing());
}

} // namespace
} // namespace plat
