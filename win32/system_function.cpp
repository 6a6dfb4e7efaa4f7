#include "system_function.h"

namespace nowplaying::win32 {

void AllowFromLowerIntegrity(HWND hWnd, UINT message)
{
    using ForWindowFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using ForProcessFn = BOOL(WINAPI*)(UINT, DWORD);
    constexpr DWORD kAllow = 1; // MSGFLT_ALLOW, and MSGFLT_ADD for the process-wide filter
    // Windows 7 and later filter per window; Vista only for the whole process.
    static const auto forWindow = SystemFunction<ForWindowFn>("user32.dll", "ChangeWindowMessageFilterEx");
    static const auto forProcess = SystemFunction<ForProcessFn>("user32.dll", "ChangeWindowMessageFilter");
    if (forWindow != nullptr) {
        forWindow(hWnd, message, kAllow, nullptr);
    } else if (forProcess != nullptr) {
        forProcess(message, kAllow);
    }
}

} // namespace nowplaying::win32
