#pragma once
// A registry object in the manner of the usual registry class: one current key under
// the root, opened for full access and created when missing, DWORD and string values.
// A key that cannot be opened is not reported: reads then find nothing and writes fail.
#include <windows.h>

#include <string>

#include "platform/error.h"
#include "platform/win32/handles.h"

namespace plat {

class Registry {
public:
    Registry() = default;
    HKEY RootKey() const { return root_; }
    void SetRootKey(HKEY root) { CloseKey(); root_ = root; }
    HKEY CurrentKey() const { return key_.get(); }

    // Opens (and with create, creates) the key below the root; returns whether it is open.
    bool OpenKey(const std::wstring& path, bool create);
    void CloseKey() { key_.reset(); }

    bool ValueExists(const std::wstring& name) const;
    // REG_DWORD only: "Failed to get data for '%s'" when the data does not fit in four
    // bytes or cannot be read, "Invalid data type for '%s'" for any other type.
    int ReadInteger(const std::wstring& name) const;
    void WriteInteger(const std::wstring& name, int value);
    // REG_SZ, stored with its terminating zero.
    void WriteString(const std::wstring& name, const std::wstring& value);
    bool DeleteValue(const std::wstring& name);

private:
    HKEY root_ = HKEY_CURRENT_USER;
    UniqueKey key_;
};

} // namespace plat
