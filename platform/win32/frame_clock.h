#pragma once
// The frame clock of an animated view: a thread that sleeps for the current delay, then
// runs the step on the GUI thread and waits until it is done, so that the next delay is
// counted from the end of the step. Create, start and stop it on the GUI thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/win32/gui_thread.h"
#include "platform/win32/handles.h"

namespace plat {

class FrameClock {
public:
    explicit FrameClock(std::function<void()> step);
    ~FrameClock();  // stops the thread
    FrameClock(const FrameClock&) = delete;
    FrameClock& operator=(const FrameClock&) = delete;

    // Starts the thread with a first delay; does nothing while it runs.
    void Start(unsigned delayMs);
    // Ends the thread; a step it has asked for meanwhile is skipped, never run late.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // The delay before the next step (the step sets it for the frame it has shown).
    void SetDelay(unsigned delayMs) { delay_.store(delayMs); }
    unsigned Delay() const { return delay_.load(); }

private:
    void Loop();

    std::function<void()> step_;
    GuiThreadCaller caller_;
    UniqueKernelHandle stop_;      // set: the thread ends
    UniqueKernelHandle finished_;  // set by the thread as it ends
    std::atomic<unsigned> delay_{100};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace plat
