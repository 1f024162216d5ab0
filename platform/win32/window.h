#pragma once
// The window skeleton shared by forms and controls: a static window procedure binds
// the object on WM_NCCREATE (and lets go on WM_NCDESTROY), and every message reaches
// the object's WndProc inside the event boundary, where errors are reported and the
// program carries on.
#include <windows.h>

#include <string>

namespace plat {

struct CreateParams {
    std::wstring caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parent = nullptr;      // the owner of a popup, the parent of a child
    UINT classStyle = CS_DBLCLKS;
    std::wstring winClassName;  // one window class is registered per distinct class style
};

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle();                     // created on demand
    HWND WindowHandle() const { return hwnd_; }
    bool HandleAllocated() const { return hwnd_ != nullptr; }
    void CreateHandle();
    void DestroyHandle();

    // Hands a message to this window's own procedure, as if the system had sent it.
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void FillCreateParams(CreateParams& params) = 0;
    // Runs once the window exists, still inside CreateHandle.
    virtual void HandleCreated() {}
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// The window class for a name and a class style, registered on first use.
std::wstring RegisterWindowClass(const std::wstring& name, UINT classStyle, WNDPROC proc);

} // namespace plat
