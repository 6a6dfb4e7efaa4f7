#include "dll_search.h"

#include <windows.h>

namespace nowplaying::win32 {

void RestrictDllSearchToSystem32()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (found != nullptr) {
        reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(found))(kSearchSystem32);
    }
}

} // namespace nowplaying::win32
