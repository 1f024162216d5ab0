#include "platform/win32/hint.h"

#include <memory>

#include "platform/win32/form.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace plat {

std::wstring HintLines(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            out.push_back(L'\n');
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kHideTimer = 2;
constexpr int kPadding = 3;

class HintWindow : public Window {
public:
    HintWindow() {
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
            font_.reset(::CreateFontIndirectW(&ncm.lfStatusFont));
        CreateHandle();
    }
    ~HintWindow() override { DestroyHandle(); }

    void Moved(HWND control, const std::wstring& text) {
        if (control != control_) {
            Left(control_);
            control_ = control;
            expired_ = false;
        }
        text_ = text;
        if (!tracking_) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, control, 0};
            tracking_ = ::TrackMouseEvent(&tme) != FALSE;
        }
        if (showing_ || expired_) return;
        // Every move restarts the pause: the hint waits for the mouse to rest.
        ::SetTimer(WindowHandle(), kShowTimer, hint::kHintPause, nullptr);
    }

    void Left(HWND control) {
        if (!control || control != control_) return;
        Hide();
        ::KillTimer(WindowHandle(), kShowTimer);
        control_ = nullptr;
        tracking_ = false;
        expired_ = false;
    }

    void Changed(HWND control, const std::wstring& text) {
        if (control != control_) return;
        text_ = text;
        if (showing_) Place();
    }

    bool Showing() const { return showing_; }

protected:
    void FillCreateParams(CreateParams& p) override {
        p.winClassName = L"THintWindow";
        p.classStyle = CS_SAVEBITS;
        p.style = WS_POPUP | WS_BORDER;
        p.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_TIMER:
            if (wParam == kShowTimer) {
                ::KillTimer(WindowHandle(), kShowTimer);
                POINT pt;
                ::GetCursorPos(&pt);
                if (control_ && ::WindowFromPoint(pt) == control_ && !text_.empty()) {
                    showing_ = true;
                    Place();
                    ::SetTimer(WindowHandle(), kHideTimer, hint::kHintHidePause, nullptr);
                }
            } else if (wParam == kHideTimer) {
                Hide();
                expired_ = true;  // not again until the mouse comes back
            }
            return 0;
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(WindowHandle(), &ps);
            RECT r{};
            ::GetClientRect(WindowHandle(), &r);
            Canvas(dc).FillRect(r, ::GetSysColor(COLOR_INFOBK));
            ScopedSelect font(dc, font_ ? HGDIOBJ(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
            ::InflateRect(&r, -kPadding, -kPadding / 2);
            std::wstring lines = HintLines(text_);
            ::DrawTextW(dc, lines.c_str(), int(lines.size()), &r, DT_LEFT | DT_NOPREFIX);
            ::EndPaint(WindowHandle(), &ps);
            return 0;
        }
        default:
            return DefaultProc(msg, wParam, lParam);
        }
    }

private:
    void Hide() {
        ::KillTimer(WindowHandle(), kHideTimer);
        if (showing_) ::ShowWindow(WindowHandle(), SW_HIDE);
        showing_ = false;
    }

    // Sizes the window to its text and puts it below the mouse pointer, on the screen.
    void Place() {
        std::wstring lines = HintLines(text_);
        RECT text{0, 0, 0, 0};
        {
            WindowDC dc(WindowHandle());
            ScopedSelect font(dc.get(), font_ ? HGDIOBJ(font_.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
            ::DrawTextW(dc.get(), lines.c_str(), int(lines.size()), &text, DT_CALCRECT | DT_LEFT | DT_NOPREFIX);
        }
        int w = text.right + 2 * kPadding + 2;
        int h = text.bottom + kPadding + 2;
        POINT pt;
        ::GetCursorPos(&pt);
        int x = pt.x, y = pt.y + ::GetSystemMetrics(SM_CYCURSOR) / 2 + 4;
        int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
        if (x + w > sw) x = sw - w;
        if (y + h > sh) y = pt.y - h - 2;
        if (x < 0) x = 0;
        if (y < 0) y = 0;
        // The window's text is the hint, for screen readers and other tools.
        ::SetWindowTextW(WindowHandle(), text_.c_str());
        ::SetWindowPos(WindowHandle(), HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        ::InvalidateRect(WindowHandle(), nullptr, TRUE);
    }

    UniqueHandle<HFONT, detail::GdiObjectTraits<HFONT>> font_;
    HWND control_ = nullptr;
    std::wstring text_;
    bool showing_ = false;
    bool expired_ = false;
    bool tracking_ = false;
};

std::unique_ptr<HintWindow>& Instance() {
    static std::unique_ptr<HintWindow> window;
    return window;
}

HintWindow& Get() {
    auto& w = Instance();
    if (!w) w = std::make_unique<HintWindow>();
    return *w;
}

} // namespace

namespace hint {
void MouseMoved(HWND control, const std::wstring& text) { Get().Moved(control, text); }
void MouseLeft(HWND control) {
    if (Instance()) Instance()->Left(control);
}
void TextChanged(HWND control, const std::wstring& text) {
    if (Instance()) Instance()->Changed(control, text);
}
void Forget(HWND control) { MouseLeft(control); }
HWND WindowHandle() { return Instance() ? Instance()->WindowHandle() : nullptr; }
bool Showing() { return Instance() && Instance()->Showing(); }
} // namespace hint

} // namespace plat
