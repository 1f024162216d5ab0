#pragma once
// A message timer: OnTimer runs on the GUI thread every Interval milliseconds while
// Enabled. "Not enough timers available" when the system has none left.
#include <windows.h>

#include <functional>
#include <memory>

namespace plat {

class MessageWindow;

class Timer {
public:
    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    std::function<void(Timer& sender)> OnTimer;

    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);

private:
    void Update();
    std::unique_ptr<MessageWindow> window_;
    unsigned interval_ = 1000;
    bool enabled_ = true;
    bool running_ = false;
};

} // namespace plat
