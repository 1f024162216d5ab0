#pragma once
// Runs work on the GUI thread for another thread, synchronously: the calling thread
// sends a message to a hidden window of the GUI thread and waits until the work is done.
// Create it on the GUI thread.
#include <windows.h>

#include <functional>
#include <memory>

namespace plat {

class MessageWindow;

class GuiThreadCaller {
public:
    GuiThreadCaller();
    ~GuiThreadCaller();
    GuiThreadCaller(const GuiThreadCaller&) = delete;
    GuiThreadCaller& operator=(const GuiThreadCaller&) = delete;

    // Runs work on the GUI thread and returns when it has run (directly when already there).
    // An error raised by the work is reported by the event boundary of the GUI thread.
    void Call(const std::function<void()>& work);

    // For the GUI thread while it waits for a worker that may be inside Call: waits for
    // the object and keeps serving the worker's calls meanwhile, so neither blocks the other.
    static DWORD WaitServingCalls(HANDLE object, DWORD timeoutMs = INFINITE);

private:
    std::unique_ptr<MessageWindow> window_;
    DWORD threadId_;
};

} // namespace plat
