#include "platform/win32/window.h"

#include <map>
#include <stdexcept>
#include <utility>

#include "platform/win32/application.h"

namespace plat {

namespace {
// (requested name, class style) -> registered name. A class style other than the first
// one seen for a name gets its own class, so a form can add CS_DROPSHADOW without
// touching the class of another form.
std::map<std::pair<std::wstring, UINT>, std::wstring>& Classes() {
    static std::map<std::pair<std::wstring, UINT>, std::wstring> classes;
    return classes;
}
} // namespace

std::wstring RegisterWindowClass(const std::wstring& name, UINT classStyle, WNDPROC proc) {
    auto& classes = Classes();
    auto key = std::make_pair(name, classStyle);
    if (auto it = classes.find(key); it != classes.end()) return it->second;

    std::wstring registered = name;
    for (const auto& entry : classes) {
        if (entry.first.first == name) {
            wchar_t suffix[16];
            wsprintfW(suffix, L".%X", classStyle);
            registered = name + suffix;
            break;
        }
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = ::LoadIconW(wc.hInstance, L"MAINICON");
    wc.lpszClassName = registered.c_str();
    ::RegisterClassExW(&wc);
    classes.emplace(key, registered);
    return registered;
}

Window::~Window() {
    // A derived class should destroy its window itself; this is the safety net, after
    // which no message reaches the (already gone) derived part.
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        HWND h = std::exchange(hwnd_, nullptr);
        ::DestroyWindow(h);
    }
}

HWND Window::Handle() {
    if (!hwnd_) CreateHandle();
    return hwnd_;
}

void Window::CreateHandle() {
    if (hwnd_) return;
    CreateParams p;
    FillCreateParams(p);
    std::wstring cls = RegisterWindowClass(p.winClassName, p.classStyle, &Window::StaticProc);
    ::CreateWindowExW(p.exStyle, cls.c_str(), p.caption.c_str(), p.style, p.x, p.y, p.width,
                      p.height, p.parent, nullptr, ::GetModuleHandleW(nullptr), this);
    if (hwnd_) HandleCreated();
}

void Window::DestroyHandle() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

LRESULT Window::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    return WndProc(msg, wParam, lParam);
}

LRESULT Window::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(msg, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);

    LRESULT result = 0;
    // The event boundary: an error raised by any handler is reported here, the rest of
    // that handler is skipped and the program goes on.
    try {
        result = self->WndProc(msg, wParam, lParam);
    } catch (const std::exception& e) {
        Application::HandleException(e);
    } catch (...) {
        Application::HandleException(std::runtime_error("Unknown error"));
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

} // namespace plat
