#include "platform/win32/handles.h"

#include <atomic>

namespace plat::gdi {

namespace {
std::atomic<long> g_live{0};
}

long LiveObjects() { return g_live.load(); }
void CountCreated() { ++g_live; }
void CountReleased() { --g_live; }

} // namespace plat::gdi
