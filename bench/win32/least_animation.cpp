// The least animation program: a picture of a tree's size that changes at a tree's frame
// period. A clock thread sleeps for the period, then hands each step to the GUI thread with
// a sent message and waits for it, as the trees' frame clock does; the step selects the next
// of a few prepared pictures and repaints. Whatever a tree costs beyond this is its own.
// usage: least_animation.exe [width height [period_ms [alpha]]]   (default 190 x 225, 70 ms)
// With an alpha the window is layered and blended at that alpha, as the animated trees are,
// which tells the window system's cost of blending apart from the trees' own work.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr UINT kStepMessage = WM_APP + 1;
constexpr int kFrames = 8;

struct Picture {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
};

std::vector<Picture> g_pictures;
int g_frame = 0;
int g_width = 190, g_height = 225;
HANDLE g_stop = nullptr;
DWORD g_period = 70;
HWND g_window = nullptr;

// Frames that differ where a tree's would: a band of light moving down the picture.
void PreparePictures(HDC screen) {
    for (int f = 0; f < kFrames; ++f) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = g_width;
        bi.bmiHeader.biHeight = -g_height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        Picture p;
        p.bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* px = static_cast<std::uint32_t*>(bits);
        for (int y = 0; y < g_height; ++y)
            for (int x = 0; x < g_width; ++x) {
                const bool lit = ((y / 8 + kFrames - f) % kFrames) == 0 && ((x / 8 + y / 8) & 1);
                px[std::size_t(y) * g_width + x] = lit ? 0x00FFE080u : 0x00185C30u;
            }
        p.dc = CreateCompatibleDC(screen);
        p.old = SelectObject(p.dc, p.bitmap);
        g_pictures.push_back(p);
    }
}

void FreePictures() {
    for (Picture& p : g_pictures) {
        SelectObject(p.dc, p.old);
        DeleteDC(p.dc);
        DeleteObject(p.bitmap);
    }
    g_pictures.clear();
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kStepMessage:
        g_frame = (g_frame + 1) % kFrames;
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        const Picture& p = g_pictures[std::size_t(g_frame)];
        BitBlt(dc, 0, 0, g_width, g_height, p.dc, 0, 0, SRCCOPY);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        SetEvent(g_stop);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The clock waits on an event rather than sleeping, so that it stops at once at exit.
DWORD WINAPI Clock(void*) {
    while (WaitForSingleObject(g_stop, g_period) == WAIT_TIMEOUT)
        SendMessageW(g_window, kStepMessage, 0, 0);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc >= 3) {
        g_width = std::atoi(__argv[1]);
        g_height = std::atoi(__argv[2]);
    }
    if (__argc >= 4)
        g_period = DWORD(std::atoi(__argv[3]));
    const int alpha = __argc >= 5 ? std::atoi(__argv[4]) : -1;

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"LeastAnimation";
    RegisterClassW(&wc);
    HDC screen = GetDC(nullptr);
    PreparePictures(screen);
    ReleaseDC(nullptr, screen);
    g_window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"least animation", WS_POPUP, 100, 100,
                                g_width, g_height, nullptr, nullptr, instance, nullptr);
    if (alpha >= 0) {
        SetWindowLongPtrW(g_window, GWL_EXSTYLE, GetWindowLongPtrW(g_window, GWL_EXSTYLE) | WS_EX_LAYERED);
        SetLayeredWindowAttributes(g_window, 0, BYTE(alpha), LWA_ALPHA);
    }
    ShowWindow(g_window, SW_SHOWNOACTIVATE);
    g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE clock = CreateThread(nullptr, 0, Clock, nullptr, 0, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The clock may be inside a send: keep serving sent messages until it has ended.
    while (MsgWaitForMultipleObjects(1, &clock, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG sent;
        PeekMessageW(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(clock);
    CloseHandle(g_stop);
    FreePictures();
    return 0;
}
