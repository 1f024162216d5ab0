#pragma once
// The bytes of a resource compiled into the executable (RCDATA by default).
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

class ResourceStream {
public:
    // Raises plat::Error "Resource <name> not found" when the module has no such resource.
    explicit ResourceStream(const std::wstring& name, LPCWSTR type = reinterpret_cast<LPCWSTR>(RT_RCDATA),
                            HMODULE module = nullptr);
    const std::uint8_t* Memory() const { return data_; }
    std::size_t Size() const { return size_; }

    static bool Exists(const std::wstring& name, LPCWSTR type = reinterpret_cast<LPCWSTR>(RT_RCDATA),
                       HMODULE module = nullptr);

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace plat
