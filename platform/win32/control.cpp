#include "platform/win32/control.h"

#include "platform/win32/hint.h"

namespace plat {

Control::Control(Form& parent, std::wstring className)
    : parent_(parent), className_(std::move(className)) {}

Control::~Control() {
    if (HandleAllocated()) {
        hint::Forget(WindowHandle());
        DestroyHandle();
    }
}

void Control::FillCreateParams(CreateParams& p) {
    p.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    p.x = left_;
    p.y = top_;
    p.width = width_;
    p.height = height_;
    p.parent = parent_.Handle();
    p.classStyle = CS_DBLCLKS;
    p.winClassName = className_;
}

void Control::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (HandleAllocated())
        ::SetWindowPos(WindowHandle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetHint(std::wstring text) {
    if (text == hint_) return;
    hint_ = std::move(text);
    if (HandleAllocated() && showHint_) hint::TextChanged(WindowHandle(), hint_);
}

void Control::SetShowHint(bool on) {
    showHint_ = on;
    if (!on && HandleAllocated()) hint::Forget(WindowHandle());
}

void Control::Invalidate() {
    if (HandleAllocated()) ::InvalidateRect(WindowHandle(), nullptr, FALSE);
}

LRESULT Control::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // Paint covers the whole control
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(WindowHandle(), &ps);
        struct End {
            HWND h; PAINTSTRUCT* ps;
            ~End() { ::EndPaint(h, ps); }
        } end{WindowHandle(), &ps};
        Canvas c(dc);
        Paint(c);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (showHint_ && !hint_.empty()) hint::MouseMoved(WindowHandle(), hint_);
        break;
    case WM_MOUSELEAVE:
        hint::MouseLeft(WindowHandle());
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        hint::MouseLeft(WindowHandle());
        DispatchPress(msg, wParam, lParam, [this](MouseButton b, WPARAM k, int x, int y) {
            if (OnMouseDown) OnMouseDown(*this, b, k, x, y);
        });
        return 0;
    case WM_CONTEXTMENU:
        if (popupMenu_) {
            PopupForContextMenu(*popupMenu_, WindowHandle(), lParam);
            return 0;
        }
        break;  // the default hands it to the parent
    case WM_DESTROY:
        hint::Forget(WindowHandle());
        break;
    default:
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace plat
