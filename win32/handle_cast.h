#pragma once
// The portable code's handles as the system's types, and back: the one place where
// the two meet.

#include "common/native_handle.h"

#include <windows.h>

namespace nowplaying::win32 {

inline HWND ToHwnd(NativeHandle h)
{
    return reinterpret_cast<HWND>(h);
}

template <typename Handle>
NativeHandle ToNative(Handle h)
{
    return reinterpret_cast<NativeHandle>(h);
}

} // namespace nowplaying::win32
