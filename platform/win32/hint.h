#pragma once
// The hint window: a small popup that shows a control's hint once the mouse has rested
// on the control for HintPause, and hides it again after HintHidePause or when the
// mouse leaves. "\r" in the text breaks the line.
#include <windows.h>

#include <string>

namespace plat {

namespace hint {
constexpr UINT kHintPause = 500;       // ms of rest before the hint appears
constexpr UINT kHintHidePause = 2500;  // ms the hint stays up

// Mouse traffic of a control that has a hint to show.
void MouseMoved(HWND control, const std::wstring& text);
void MouseLeft(HWND control);
// The hint of a control changed; a hint on screen shows the new text.
void TextChanged(HWND control, const std::wstring& text);
void Forget(HWND control);

// The hint window if it exists (for tests and probes), and whether it is showing.
HWND WindowHandle();
bool Showing();
} // namespace hint

// The text with each "\r" (or "\r\n") as a line break, as drawn.
std::wstring HintLines(const std::wstring& text);

} // namespace plat
