#pragma once
// A handle of the system (a window's, an icon's) as the portable code keeps it: an
// integer as wide as a pointer, named without <windows.h>. Only the Win32 layer turns
// it back into the system's types (win32/handle_cast.h).

#include <cstdint>

namespace nowplaying {

using NativeHandle = std::uintptr_t;

} // namespace nowplaying
