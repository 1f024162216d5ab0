#include "platform/win32/system_error.h"

namespace plat {

std::wstring TrimMessageEnd(std::wstring text) {
    size_t n = text.size();
    while (n > 0 && (text[n - 1] <= L' ' || text[n - 1] == L'.')) --n;
    text.resize(n);
    return text;
}

std::wstring SystemErrorText(DWORD code) {
    wchar_t buf[256];
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                               DWORD(sizeof buf / sizeof buf[0]), nullptr);
    return TrimMessageEnd(std::wstring(buf, n));
}

} // namespace plat
