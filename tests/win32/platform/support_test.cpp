// Timer, bitmaps and the GDI count, resources, GUI-thread calls, random numbers, hints.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "platform/error.h"
#include "platform/win32/application.h"
#include "platform/win32/dib_bitmap.h"
#include "platform/win32/gui_thread.h"
#include "platform/win32/handles.h"
#include "platform/win32/hint.h"
#include "platform/win32/resource_stream.h"
#include "platform/win32/runtime.h"
#include "platform/win32/timer.h"

namespace plat {
namespace {

// Dispatches messages until done() holds or the deadline passes.
bool PumpUntil(const std::function<bool()>& done, DWORD deadlineMs = 10000) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > deadlineMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

TEST(Timer, FiresWhileEnabledAndStopsWhenDisabled) {
    Timer timer;
    int ticks = 0;
    timer.OnTimer = [&](Timer& t) {
        if (++ticks == 2) t.SetEnabled(false);
    };
    timer.SetInterval(10);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(ticks, 2);
}

TEST(DibBitmap, TopDownRowsOverADibSectionAndCountedGdiObjects) {
    long before = gdi::LiveObjects();
    {
        DibBitmap bmp(3, 2);
        EXPECT_EQ(gdi::LiveObjects(), before + 1);
        EXPECT_EQ(bmp.Width(), 3);
        EXPECT_EQ(bmp.Height(), 2);
        bmp.Row(0)[0] = 0x11;  // B of the top-left pixel
        bmp.Row(1)[3 * 4 - 1] = 0x22;  // A of the bottom-right pixel
        BITMAP info{};
        ASSERT_EQ(::GetObjectW(bmp.Handle(), sizeof info, &info), int(sizeof info));
        EXPECT_EQ(info.bmBitsPixel, 32);
        // Row 0 is the top: the DIB is top-down, so its first bytes are row 0.
        const BYTE* bits = static_cast<const BYTE*>(info.bmBits);
        EXPECT_EQ(bits[0], 0x11);
        EXPECT_EQ(bits[info.bmWidthBytes + 11], 0x22);
    }
    EXPECT_EQ(gdi::LiveObjects(), before);
}

TEST(GdiCount, OwnersCountWhatTheyHoldAndReleaseGivesItAway) {
    long before = gdi::LiveObjects();
    {
        UniqueRegion region(::CreateRectRgn(0, 0, 10, 10));
        UniqueDC dc(::CreateCompatibleDC(nullptr));
        EXPECT_EQ(gdi::LiveObjects(), before + 2);
        UniqueRegion moved = std::move(region);
        EXPECT_EQ(gdi::LiveObjects(), before + 2);
        HRGN given = moved.release();
        EXPECT_EQ(gdi::LiveObjects(), before + 1);
        ::DeleteObject(given);
        {
            WindowDC screen(nullptr);
            EXPECT_EQ(gdi::LiveObjects(), before + 2);
        }
    }
    EXPECT_EQ(gdi::LiveObjects(), before);
}

TEST(ResourceStream, AMissingResourceIsAClearError) {
    EXPECT_FALSE(ResourceStream::Exists(L"NOSUCHTREE"));
    try {
        ResourceStream s(L"NOSUCHTREE");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Resource NOSUCHTREE not found");
    }
}

TEST(GuiThreadCaller, RunsWorkOnTheGuiThreadAndReturnsWhenItIsDone) {
    GuiThreadCaller caller;
    const DWORD gui = ::GetCurrentThreadId();
    std::set<DWORD> ranOn;
    int steps = 0;
    UniqueKernelHandle finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i) {
            int before = steps;
            caller.Call([&] {
                ranOn.insert(::GetCurrentThreadId());
                ++steps;
            });
            EXPECT_EQ(steps, before + 1);  // synchronous: done when Call returns
        }
        ::SetEvent(finished.get());
    });
    // The GUI thread waits for the worker and serves its calls meanwhile.
    EXPECT_EQ(GuiThreadCaller::WaitServingCalls(finished.get(), 20000), WAIT_OBJECT_0);
    worker.join();
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(ranOn, std::set<DWORD>{gui});
    caller.Call([&] { ++steps; });  // on the GUI thread itself: directly
    EXPECT_EQ(steps, 6);
}

TEST(Random, StaysBelowTheRangeAndZeroForNone) {
    SetRandSeed(12345);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-3), 0);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        int r = Random(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
        seen.insert(r);
    }
    EXPECT_EQ(seen.size(), 7u);
    EXPECT_EQ(Random(1), 0);
}

TEST(Random, RandomizeSeedsFromThePerformanceCounter) {
    SetRandSeed(0);
    LARGE_INTEGER a{}, b{};
    ::QueryPerformanceCounter(&a);
    Randomize();
    ::QueryPerformanceCounter(&b);
    std::uint32_t seed = RandSeed();
    EXPECT_GE(seed, std::uint32_t(a.QuadPart & 0xFFFFFFFF));
    EXPECT_LE(seed, std::uint32_t(b.QuadPart & 0xFFFFFFFF));
}

TEST(ParamStr, ZeroIsTheExecutableAndTheRestComesFromTheCommandLine) {
    EXPECT_EQ(ParamStr(0), ModuleFileName());
    EXPECT_GE(ParamCount(), 1);  // CTest passes --gtest_color=no
    EXPECT_EQ(ParamStr(1), L"--gtest_color=no");
    EXPECT_EQ(ParamStr(ParamCount() + 1), L"");
}

TEST(Hint, CarriageReturnsBreakLines) {
    EXPECT_EQ(HintLines(L"12 days\rto go"), L"12 days\nto go");
    EXPECT_EQ(HintLines(L"a\r\nb\rc"), L"a\nb\nc");
    EXPECT_EQ(HintLines(L"plain"), L"plain");
}

} // namespace
} // namespace plat
