#include "platform/win32/timer.h"

#include "platform/error.h"
#include "platform/win32/message_window.h"

namespace plat {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

Timer::Timer() {
    window_ = std::make_unique<MessageWindow>([this](UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
        if (msg != WM_TIMER || wParam != kTimerId) return false;
        if (OnTimer) OnTimer(*this);
        return true;
    });
    Update();
}

Timer::~Timer() {
    if (running_) ::KillTimer(window_->WindowHandle(), kTimerId);
}

void Timer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Update();
}

void Timer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    Update();
}

void Timer::Update() {
    HWND h = window_->WindowHandle();
    if (running_) {
        ::KillTimer(h, kTimerId);
        running_ = false;
    }
    if (enabled_ && interval_ != 0) {
        if (::SetTimer(h, kTimerId, interval_, nullptr) == 0)
            throw Error("Not enough timers available");
        running_ = true;
    }
}

} // namespace plat
