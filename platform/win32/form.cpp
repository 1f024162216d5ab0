#include "platform/win32/form.h"

#include <windowsx.h>

#include "platform/win32/application.h"
#include "platform/win32/handles.h"
#include "platform/win32/menu.h"

namespace plat {

namespace {
int g_pressDepth = 0;
MouseButton g_pressButton = MouseButton::Left;
} // namespace

bool DispatchingPress() { return g_pressDepth > 0; }
bool DispatchingPressOf(MouseButton button) { return g_pressDepth > 0 && g_pressButton == button; }

void DispatchPress(UINT msg, WPARAM wParam, LPARAM lParam,
                   const std::function<void(MouseButton, WPARAM, int, int)>& handler) {
    MouseButton button = msg == WM_LBUTTONDOWN   ? MouseButton::Left
                         : msg == WM_RBUTTONDOWN ? MouseButton::Right
                                                 : MouseButton::Middle;
    struct Depth {
        MouseButton saved = g_pressButton;
        Depth(MouseButton b) { ++g_pressDepth; g_pressButton = b; }
        ~Depth() { --g_pressDepth; g_pressButton = saved; }
    } depth(button);
    handler(button, wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

void PopupForContextMenu(PopupMenu& menu, HWND window, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (x == -1 && y == -1) {  // from the keyboard: at the window's top-left corner
        RECT r{};
        ::GetWindowRect(window, &r);
        x = r.left;
        y = r.top;
    }
    menu.Popup(x, y, window);
}

void Canvas::FillRect(const RECT& r, COLORREF color) {
    UniqueBrush brush(::CreateSolidBrush(color));
    ::FillRect(dc_, &r, brush.get());
}

Form::Form(std::wstring className)
    : className_(std::move(className)), color_(::GetSysColor(COLOR_BTNFACE)) {}

Form::~Form() {
    if (HandleAllocated()) DestroyHandle();
}

void Form::FillCreateParams(plat::CreateParams& p) {
    p.caption = caption_;
    // Borderless: no caption bar, no frame, no system menu.
    p.style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    p.exStyle = WS_EX_CONTROLPARENT;
    p.x = left_;
    p.y = top_;
    p.width = width_;
    p.height = height_;
    if (Application* app = Application::Instance()) p.parent = app->Handle();
    p.classStyle = CS_DBLCLKS;
    p.winClassName = className_;
    CreateParams(p);
}

void Form::HandleCreated() {
    UpdateBoundsFromWindow();
    // A form stored with alpha blending on is layered from the moment it exists.
    if (alphaBlend_) ApplyLayered();
    DoCreate();
}

void Form::SetBounds(int left, int top, int width, int height) {
    if (HandleAllocated()) {
        ::SetWindowPos(WindowHandle(), nullptr, left, top, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateBoundsFromWindow();
    } else {
        left_ = left;
        top_ = top;
        width_ = width;
        height_ = height;
    }
}

void Form::UpdateBoundsFromWindow() {
    RECT r{};
    if (::GetWindowRect(WindowHandle(), &r)) {
        left_ = r.left;
        top_ = r.top;
        width_ = r.right - r.left;
        height_ = r.bottom - r.top;
    }
}

void Form::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    if (HandleAllocated()) ::SetWindowTextW(WindowHandle(), caption_.c_str());
}

void Form::SetColor(COLORREF color) {
    color_ = color;
    if (HandleAllocated()) ::InvalidateRect(WindowHandle(), nullptr, TRUE);
}

void Form::SetAlphaBlend(bool on) {
    if (on == alphaBlend_) return;
    alphaBlend_ = on;
    if (!HandleAllocated()) return;
    if (on) {
        ApplyLayered();
    } else {
        HWND h = WindowHandle();
        LONG_PTR ex = ::GetWindowLongPtrW(h, GWL_EXSTYLE);
        ::SetWindowLongPtrW(h, GWL_EXSTYLE, ex & ~LONG_PTR(WS_EX_LAYERED));
        ::RedrawWindow(h, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void Form::SetAlphaBlendValue(BYTE value) {
    if (value == alphaBlendValue_) return;
    alphaBlendValue_ = value;
    if (alphaBlend_ && HandleAllocated()) ApplyLayered();
}

void Form::ApplyLayered() {
    HWND h = WindowHandle();
    LONG_PTR ex = ::GetWindowLongPtrW(h, GWL_EXSTYLE);
    if (!(ex & WS_EX_LAYERED)) ::SetWindowLongPtrW(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(h, 0, alphaBlendValue_, LWA_ALPHA);
}

void Form::Show() {
    HWND h = Handle();
    if (!shown_) {
        shown_ = true;
        try {
            DoShow();
        } catch (const std::exception& e) {
            Application::HandleException(e);
        }
    }
    ::ShowWindow(h, SW_SHOW);
}

void Form::Hide() {
    if (HandleAllocated()) ::ShowWindow(WindowHandle(), SW_HIDE);
}

bool Form::Visible() const {
    return HandleAllocated() && ::IsWindowVisible(WindowHandle());
}

bool Form::CloseQuery() {
    bool canClose = true;
    DoCloseQuery(canClose);
    return canClose;
}

void Form::Close() {
    if (!CloseQuery()) return;
    Application* app = Application::Instance();
    if (app && app->MainForm() == this)
        app->Terminate();
    else
        Hide();
}

void Form::Destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    DoDestroy();
    DestroyHandle();
}

LRESULT Form::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == gdi::CountQueryMessage() && msg != 0) return LRESULT(gdi::LiveObjects());
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r{};
        ::GetClientRect(WindowHandle(), &r);
        Canvas c(reinterpret_cast<HDC>(wParam));
        c.FillRect(r, color_);
        return 1;
    }
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
    case WM_WINDOWPOSCHANGED:
        UpdateBoundsFromWindow();
        break;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_QUERYENDSESSION:
        return CloseQuery() ? TRUE : FALSE;
    case WM_COMMAND:
        // A menu command sent to the form (no control, no notification) chooses that item
        // of its popup menu, as a pick from the open menu does.
        if (lParam == 0 && HIWORD(wParam) == 0 && popupMenu_) {
            MenuItem* item = popupMenu_->Items().FindCommand(LOWORD(wParam));
            if (item && item->Parent() && item->Enabled() && !item->IsSeparator() && item->Count() == 0) {
                item->Click();
                return 0;
            }
        }
        break;
    case WM_CONTEXTMENU:
        if (popupMenu_) {
            PopupForContextMenu(*popupMenu_, WindowHandle(), lParam);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        DispatchPress(msg, wParam, lParam, [this](MouseButton b, WPARAM k, int x, int y) {
            MouseDown(b, k, x, y);
        });
        return 0;
    case WM_SYSCOMMAND:
        // The caption-drag form of the move command, asked for by a press of another
        // button than the left one, would leave the system's move loop waiting for a
        // left button that is not down; only the left button drags.
        if ((wParam & 0xFFF0) == SC_MOVE && (wParam & 0x000F) != 0 && DispatchingPress() &&
            !DispatchingPressOf(MouseButton::Left))
            return 0;
        break;
    default:
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

} // namespace plat
