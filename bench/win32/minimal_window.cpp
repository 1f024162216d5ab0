// A plain window of a tree's size and nothing else: the floor for start-up time and
// memory. usage: minimal_window.exe [width height]   (default 190 x 225)
// Built as minimal_imports.exe it also loads the system DLLs the trees import (shell32,
// advapi32), which tells the cost of loading them apart from the trees' own work.
#include <windows.h>
#if TREE_BENCH_TREE_IMPORTS
#include <shellapi.h>
#endif

#include <cstdlib>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int width = 190, height = 225;
    if (__argc >= 3) {
        width = std::atoi(__argv[1]);
        height = std::atoi(__argv[2]);
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(RGB(24, 92, 48));
    wc.lpszClassName = L"MinimalWindow";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"minimal", WS_POPUP, 100, 100, width,
                                height, nullptr, nullptr, instance, nullptr);
#if TREE_BENCH_TREE_IMPORTS
    // Referenced through volatile pointers so that the imports stay; never called.
    static void* volatile imports[] = {reinterpret_cast<void*>(&ShellExecuteA), reinterpret_cast<void*>(&RegCloseKey)};
    (void)imports;
#endif
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
