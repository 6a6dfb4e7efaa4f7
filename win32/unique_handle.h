#pragma once
// Owning wrappers for the handles the program creates. Copying is deleted so that
// each handle has exactly one owner that releases it.

#include <windows.h>

#include <utility>

namespace nowplaying::win32 {

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            reset(std::exchange(other.m_handle, Handle{}));
        }
        return *this;
    }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Handle{}; }
    Handle release() { return std::exchange(m_handle, Handle{}); }
    void reset(Handle handle = Handle{})
    {
        const Handle old = std::exchange(m_handle, handle);
        if (old != Handle{}) {
            Traits::Close(old);
        }
    }

private:
    Handle m_handle{};
};

struct WindowTraits {
    static void Close(HWND h) { DestroyWindow(h); }
};
struct IconTraits {
    static void Close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct FontTraits {
    static void Close(HFONT h) { DeleteObject(h); }
};
struct KernelTraits {
    static void Close(HANDLE h) { CloseHandle(h); }
};

using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits>;

} // namespace nowplaying::win32
