#pragma once
// The application object: its own owner window (a top-level window of no size that
// carries the taskbar button until someone hides it), the title, the main form, the
// message loop and the error box shown at the boundary of every event handler.
#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

namespace plat {

class Form;

class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Instance();

    HWND Handle() const { return handle_; }
    const std::wstring& Title() const { return title_; }
    void SetTitle(std::wstring title);

    // The first form handed in becomes the main form; closing it ends Run.
    void SetMainForm(Form* form);
    Form* MainForm() const { return mainForm_; }

    // Shows the taskbar window and the main form, then dispatches messages until
    // Terminate. Returns the exit code.
    int Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Dispatches what is waiting and returns.
    void ProcessMessages();

    // The standard error box: the message, captioned with the title, stop icon, OK.
    void ShowException(const std::exception& e);
    // Used by the event boundary; works also before an application object exists.
    static void HandleException(const std::exception& e);

    // The executable's file name up to its first dot, every letter after the first in
    // lower case: "C:\Trees\FERNLIGHT.EXE" gives "Fernlight".
    static std::wstring DefaultTitle(std::wstring_view modulePath);

private:
    static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    std::wstring title_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    int exitCode_ = 0;
};

// The full path of the running executable, as the system reports it.
std::wstring ModuleFileName();

} // namespace plat
