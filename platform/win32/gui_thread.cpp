#include "platform/win32/gui_thread.h"

#include "platform/win32/message_window.h"

namespace plat {

namespace {
constexpr UINT kCallMessage = WM_APP + 0x101;
}

GuiThreadCaller::GuiThreadCaller() : threadId_(::GetCurrentThreadId()) {
    window_ = std::make_unique<MessageWindow>([](UINT msg, WPARAM, LPARAM lParam, LRESULT&) {
        if (msg != kCallMessage) return false;
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return true;
    });
}

GuiThreadCaller::~GuiThreadCaller() = default;

void GuiThreadCaller::Call(const std::function<void()>& work) {
    if (::GetCurrentThreadId() == threadId_) {
        work();
        return;
    }
    ::SendMessageW(window_->WindowHandle(), kCallMessage, 0, reinterpret_cast<LPARAM>(&work));
}

DWORD GuiThreadCaller::WaitServingCalls(HANDLE object, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            DWORD spent = ::GetTickCount() - start;
            if (spent >= timeoutMs) return WAIT_TIMEOUT;
            left = timeoutMs - spent;
        }
        DWORD rc = ::MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_SENDMESSAGE);
        if (rc != WAIT_OBJECT_0 + 1) return rc;
        // Serves the messages other threads sent us, and only those.
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace plat
