#include "dll_search.h"

#include "win32/system_function.h"

namespace nowplaying::win32 {

void RestrictDllSearchToSystem32()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    const auto restrict = SystemFunction<SetDefaultDllDirectoriesFn>("kernel32.dll", "SetDefaultDllDirectories");
    if (restrict != nullptr) {
        restrict(kSearchSystem32);
    }
}

} // namespace nowplaying::win32
