#pragma once
// Owners for the Win32 handles the platform creates. One small template: copy is
// deleted, move hands the handle over. GDI objects held by these owners are counted
// process-wide, because the system's own GDI count is not available everywhere.
#include <windows.h>

#include <utility>

namespace plat {

namespace gdi {
// Number of GDI objects (device contexts, bitmaps, regions) currently held by owners
// of this layer. Stays constant over repeated compositions when nothing leaks.
long LiveObjects();
void CountCreated();
void CountReleased();
// A registered window message that every form answers with LiveObjects(), so that
// another process can watch the count.
UINT CountQueryMessage();
} // namespace gdi

template <class H, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) { Traits::Adopted(h_); }
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Traits::Invalid());
        }
        return *this;
    }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }

    // Gives the handle away (for example a region handed to SetWindowRgn).
    H release() {
        H h = std::exchange(h_, Traits::Invalid());
        Traits::Disowned(h);
        return h;
    }
    void reset(H h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) {
            Traits::Close(h_);
            Traits::Disowned(h_);
        }
        h_ = h;
        Traits::Adopted(h_);
    }

private:
    H h_ = Traits::Invalid();
};

namespace detail {
struct Uncounted {
    template <class H> static void Adopted(H) {}
    template <class H> static void Disowned(H) {}
};
template <class H>
struct CountedGdi {
    static void Adopted(H h) { if (h) gdi::CountCreated(); }
    static void Disowned(H h) { if (h) gdi::CountReleased(); }
};
struct DcTraits : CountedGdi<HDC> {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};
template <class H>
struct GdiObjectTraits : CountedGdi<H> {
    static H Invalid() { return nullptr; }
    static void Close(H h) { ::DeleteObject(h); }
};
struct KeyTraits : Uncounted {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct MenuTraits : Uncounted {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct KernelTraits : Uncounted {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileTraits : Uncounted {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
} // namespace detail

using UniqueDC = UniqueHandle<HDC, detail::DcTraits>;              // from CreateCompatibleDC
using UniqueBitmap = UniqueHandle<HBITMAP, detail::GdiObjectTraits<HBITMAP>>;
using UniqueRegion = UniqueHandle<HRGN, detail::GdiObjectTraits<HRGN>>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::GdiObjectTraits<HBRUSH>>;
using UniqueKey = UniqueHandle<HKEY, detail::KeyTraits>;
using UniqueMenu = UniqueHandle<HMENU, detail::MenuTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, detail::KernelTraits>;
using UniqueFile = UniqueHandle<HANDLE, detail::FileTraits>;

// A device context from GetDC, given back with ReleaseDC on the same window.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) { if (dc_) gdi::CountCreated(); }
    ~WindowDC() {
        if (dc_) {
            ::ReleaseDC(window_, dc_);
            gdi::CountReleased();
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    HGDIOBJ previous() const { return old_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace plat
