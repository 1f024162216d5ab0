#include "platform/win32/frame_clock.h"

#include "platform/error.h"

namespace plat {

FrameClock::FrameClock(std::function<void()> step)
    : step_(std::move(step)),
      stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      finished_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!stop_ || !finished_) throw Error("Out of system resources");
}

FrameClock::~FrameClock() { Stop(); }

void FrameClock::Start(unsigned delayMs) {
    if (thread_.joinable()) return;
    delay_.store(delayMs);
    stopping_.store(false);
    ::ResetEvent(stop_.get());
    ::ResetEvent(finished_.get());
    thread_ = std::thread([this] { Loop(); });
}

void FrameClock::Stop() {
    if (!thread_.joinable()) return;
    stopping_.store(true);
    ::SetEvent(stop_.get());
    // The thread may be waiting inside a call to this thread: keep serving such calls
    // (they see stopping_ and return at once) until it has ended.
    GuiThreadCaller::WaitServingCalls(finished_.get());
    thread_.join();
}

void FrameClock::Loop() {
    for (;;) {
        if (::WaitForSingleObject(stop_.get(), delay_.load()) != WAIT_TIMEOUT) break;
        caller_.Call([this] {
            if (!stopping_.load()) step_();
        });
    }
    ::SetEvent(finished_.get());
}

} // namespace plat
