#pragma once
// A hidden window that only receives messages (timers, calls from other threads).
// Its handler runs inside the event boundary like every other window's.
#include <windows.h>

#include <functional>

#include "platform/win32/window.h"

namespace plat {

class MessageWindow : public Window {
public:
    // Returns true when it handled the message; result is then the answer.
    using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    explicit MessageWindow(Handler handler) : handler_(std::move(handler)) { CreateHandle(); }
    ~MessageWindow() override { DestroyHandle(); }

protected:
    void FillCreateParams(CreateParams& p) override {
        p.winClassName = L"TPUtilWindow";
        p.classStyle = 0;
        p.parent = HWND_MESSAGE;
    }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (handler_ && handler_(msg, wParam, lParam, result)) return result;
        return DefaultProc(msg, wParam, lParam);
    }

private:
    Handler handler_;
};

} // namespace plat
