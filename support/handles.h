// Owners for Win32 resources: one small move-only wrapper per kind of handle, so that every
// window, device context, GDI object, module and kernel handle is released exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

// The value that owns nothing: null, or INVALID_HANDLE_VALUE for files and searches.
struct NullIsInvalid {
    template <class H>
    static H invalid() { return H{}; }
};
struct MinusOneIsInvalid {
    template <class H>
    static H invalid() { return reinterpret_cast<H>(static_cast<INT_PTR>(-1)); }
};

// Owns a handle of type H; Close(h) releases it.
template <class H, auto Close, class InvalidRule = NullIsInvalid>
class UniqueHandle {
    static H invalidValue() { return InvalidRule::template invalid<H>(); }

public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != invalidValue(); }
    H release() { return std::exchange(handle_, invalidValue()); }
    void reset(H handle = invalidValue()) {
        H old = std::exchange(handle_, handle);
        if (old != invalidValue()) Close(old);
    }

private:
    H handle_ = invalidValue();
};

namespace detail {
inline void closeKernelHandle(HANDLE h) { CloseHandle(h); }
inline void destroyWindow(HWND h) { DestroyWindow(h); }
inline void deleteDc(HDC h) { DeleteDC(h); }
inline void deleteGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void deleteBitmap(HBITMAP h) { DeleteObject(h); }
inline void deleteFont(HFONT h) { DeleteObject(h); }
inline void deleteBrush(HBRUSH h) { DeleteObject(h); }
inline void freeLibrary(HMODULE h) { FreeLibrary(h); }
inline void findClose(HANDLE h) { FindClose(h); }
inline void regCloseKey(HKEY h) { RegCloseKey(h); }
}  // namespace detail

using UniqueKernelHandle = UniqueHandle<HANDLE, detail::closeKernelHandle>;
using UniqueFileHandle = UniqueHandle<HANDLE, detail::closeKernelHandle, MinusOneIsInvalid>;
using UniqueFindHandle = UniqueHandle<HANDLE, detail::findClose, MinusOneIsInvalid>;
using UniqueWindow = UniqueHandle<HWND, detail::destroyWindow>;
using UniqueMemoryDc = UniqueHandle<HDC, detail::deleteDc>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::deleteBitmap>;
using UniqueFont = UniqueHandle<HFONT, detail::deleteFont>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::deleteBrush>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, detail::deleteGdiObject>;
using UniqueModule = UniqueHandle<HMODULE, detail::freeLibrary>;
using UniqueRegKey = UniqueHandle<HKEY, detail::regCloseKey>;

// A device context obtained with GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { if (dc_) ReleaseDC(window_, dc_); }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint as a scope.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(window_, &ps_); }
    HDC dc() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// Selects a GDI object into a device context for a scope and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() { if (previous_) SelectObject(dc_, previous_); }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Keeps a device context's state (clip region, selections, mapping) for a scope and restores it.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    ~SavedDcState() { if (saved_) RestoreDC(dc_, saved_); }

private:
    HDC dc_;
    int saved_;
};

}  // namespace ui
