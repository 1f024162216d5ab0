#include "platform/win32/runtime.h"

#include <windows.h>

#include "platform/win32/application.h"
#include "platform/win32/param_split.h"

namespace plat {

namespace {
std::uint32_t g_seed = 0;
}

std::wstring ParamStr(int index) {
    if (index < 0) return {};
    if (index == 0) return ModuleFileName();
    return ParamOf<wchar_t>(::GetCommandLineW(), size_t(index));
}

int ParamCount() {
    auto args = SplitParams<wchar_t>(::GetCommandLineW());
    return args.empty() ? 0 : int(args.size() - 1);
}

int Random(int range) {
    // A linear congruential generator; the high bits of the product scale it to the range.
    g_seed = g_seed * 0x08088405u + 1u;
    if (range <= 0) return 0;
    return int((std::uint64_t(g_seed) * std::uint32_t(range)) >> 32);
}

void Randomize() {
    LARGE_INTEGER counter{};
    if (::QueryPerformanceCounter(&counter))
        g_seed = std::uint32_t(counter.QuadPart & 0xFFFFFFFFu);
    else
        g_seed = ::GetTickCount();
}

std::uint32_t RandSeed() { return g_seed; }
void SetRandSeed(std::uint32_t seed) { g_seed = seed; }

} // namespace plat
