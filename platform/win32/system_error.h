#pragma once
// The system's own text for an error code, as a user reads it in a message box.
#include <windows.h>

#include <string>

namespace plat {

// The message table's text for the code (inserts ignored, default language), with all
// trailing control characters, blanks and full stops removed; empty when the system
// has no text for it.
std::wstring SystemErrorText(DWORD code);

// Removes trailing control characters, blanks and full stops.
std::wstring TrimMessageEnd(std::wstring text);

} // namespace plat
