#include "platform/win32/resource_stream.h"

#include "platform/error.h"
#include "platform/win32/text.h"

namespace plat {

ResourceStream::ResourceStream(const std::wstring& name, LPCWSTR type, HMODULE module) {
    if (!module) module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, name.c_str(), type);
    if (!info) throw Error("Resource " + Narrow(name) + " not found");
    HGLOBAL global = ::LoadResource(module, info);
    const void* data = global ? ::LockResource(global) : nullptr;
    if (!data) throw Error("Resource " + Narrow(name) + " cannot be loaded");
    // Resources live as long as the module; nothing to free.
    data_ = static_cast<const std::uint8_t*>(data);
    size_ = ::SizeofResource(module, info);
}

bool ResourceStream::Exists(const std::wstring& name, LPCWSTR type, HMODULE module) {
    if (!module) module = ::GetModuleHandleW(nullptr);
    return ::FindResourceW(module, name.c_str(), type) != nullptr;
}

} // namespace plat
