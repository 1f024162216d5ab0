#include "platform/win32/application.h"

#include <vector>

#include "platform/win32/form.h"
#include "platform/win32/text.h"

namespace plat {

namespace {
Application* g_app = nullptr;
constexpr wchar_t kOwnerClass[] = L"TApplication";
} // namespace

std::wstring ModuleFileName() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
        if (n < buf.size()) return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::wstring Application::DefaultTitle(std::wstring_view path) {
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
    if (size_t dot = name.find(L'.'); dot != std::wstring::npos) name.resize(dot);
    if (name.size() > 1) ::CharLowerBuffW(name.data() + 1, DWORD(name.size() - 1));
    return name;
}

Application::Application() {
    g_app = this;
    title_ = DefaultTitle(ModuleFileName());

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Application::OwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hIcon = ::LoadIconW(wc.hInstance, L"MAINICON");
    wc.lpszClassName = kOwnerClass;
    ::RegisterClassExW(&wc);

    // No size, in the middle of the screen; its caption and icon are what the taskbar shows.
    int cx = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    int cy = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_ = ::CreateWindowExW(0, kOwnerClass, title_.c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                cx, cy, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
}

Application::~Application() {
    if (handle_) ::DestroyWindow(handle_);
    if (g_app == this) g_app = nullptr;
}

Application* Application::Instance() { return g_app; }

void Application::SetTitle(std::wstring title) {
    title_ = std::move(title);
    if (handle_) ::SetWindowTextW(handle_, title_.c_str());
}

void Application::SetMainForm(Form* form) {
    if (!mainForm_) mainForm_ = form;
}

int Application::Run() {
    if (mainForm_) {
        ::ShowWindow(handle_, SW_SHOWNOACTIVATE);
        mainForm_->Show();
    }
    MSG msg;
    while (!terminated_) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) exitCode_ = int(msg.wParam);
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    terminated_ = true;
    if (mainForm_) mainForm_->Destroy();
    return exitCode_;
}

void Application::Terminate() {
    if (!terminated_) ::PostQuitMessage(0);
}

void Application::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            exitCode_ = int(msg.wParam);
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Application::ShowException(const std::exception& e) {
    std::wstring text = Widen(e.what());
    ::MessageBoxW(handle_, text.c_str(), title_.c_str(), MB_ICONSTOP | MB_OK);
}

void Application::HandleException(const std::exception& e) {
    if (g_app) {
        g_app->ShowException(e);
        return;
    }
    std::wstring title = DefaultTitle(ModuleFileName());
    std::wstring text = Widen(e.what());
    ::MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_ICONSTOP | MB_OK);
}

LRESULT CALLBACK Application::OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Application* app = g_app;
    try {
        switch (msg) {
        case WM_CLOSE:
            // The taskbar button's close command closes the main form.
            if (app && app->mainForm_) app->mainForm_->Close();
            return 0;
        case WM_QUERYENDSESSION:
            // The main form answers for the program; this window has nothing to save.
            return TRUE;
        case WM_ENDSESSION:
            if (wParam && app) app->Terminate();
            return 0;
        default:
            break;
        }
    } catch (const std::exception& e) {
        HandleException(e);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace plat
