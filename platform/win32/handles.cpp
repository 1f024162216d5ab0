#include "platform/win32/handles.h"

#include <atomic>

namespace plat::gdi {

namespace {
std::atomic<long> g_live{0};
}

long LiveObjects() { return g_live.load(); }
void CountCreated() { ++g_live; }
void CountReleased() { --g_live; }

UINT CountQueryMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"PlatLiveGdiObjects");
    return message;
}

} // namespace plat::gdi
