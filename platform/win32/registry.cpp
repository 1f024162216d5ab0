#include "platform/win32/registry.h"

#include "platform/win32/text.h"

namespace plat {

namespace {
std::string Quoted(const char* format, const std::wstring& name) {
    std::string text = format;
    text.replace(text.find("%s"), 2, Narrow(name));
    return text;
}
} // namespace

bool Registry::OpenKey(const std::wstring& path, bool create) {
    CloseKey();
    std::wstring rel = path;
    while (!rel.empty() && rel.front() == L'\\') rel.erase(0, 1);
    HKEY key = nullptr;
    LONG rc = create ? ::RegCreateKeyExW(root_, rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_ALL_ACCESS, nullptr, &key, nullptr)
                     : ::RegOpenKeyExW(root_, rel.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (rc != ERROR_SUCCESS) return false;
    key_.reset(key);
    return true;
}

bool Registry::ValueExists(const std::wstring& name) const {
    if (!key_) return false;
    return ::RegQueryValueExW(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

int Registry::ReadInteger(const std::wstring& name) const {
    // The data is read into a buffer of four bytes first, so any value with more data
    // fails to be read before its type is looked at. Strings are measured as the ANSI
    // interface measures them.
    DWORD type = 0;
    BYTE data[4] = {};
    DWORD size = sizeof data;
    std::string ansiName = Narrow(name);
    LONG rc = key_ ? ::RegQueryValueExA(key_.get(), ansiName.c_str(), nullptr, &type, data, &size)
                   : LONG(ERROR_INVALID_HANDLE);
    if (rc != ERROR_SUCCESS) throw Error(Quoted("Failed to get data for '%s'", name));
    if (type != REG_DWORD) throw Error(Quoted("Invalid data type for '%s'", name));
    DWORD value = DWORD(data[0]) | DWORD(data[1]) << 8 | DWORD(data[2]) << 16 | DWORD(data[3]) << 24;
    return int(value);
}

void Registry::WriteInteger(const std::wstring& name, int value) {
    DWORD data = DWORD(value);
    LONG rc = key_ ? ::RegSetValueExW(key_.get(), name.c_str(), 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&data), sizeof data)
                   : LONG(ERROR_INVALID_HANDLE);
    if (rc != ERROR_SUCCESS) throw Error(Quoted("Failed to set data for '%s'", name));
}

void Registry::WriteString(const std::wstring& name, const std::wstring& value) {
    DWORD bytes = DWORD((value.size() + 1) * sizeof(wchar_t));
    LONG rc = key_ ? ::RegSetValueExW(key_.get(), name.c_str(), 0, REG_SZ,
                                      reinterpret_cast<const BYTE*>(value.c_str()), bytes)
                   : LONG(ERROR_INVALID_HANDLE);
    if (rc != ERROR_SUCCESS) throw Error(Quoted("Failed to set data for '%s'", name));
}

bool Registry::DeleteValue(const std::wstring& name) {
    if (!key_) return false;
    return ::RegDeleteValueW(key_.get(), name.c_str()) == ERROR_SUCCESS;
}

} // namespace plat
