#include "win32_messenger_windows.h"

#include <windows.h>

namespace nowplaying {

// The ANSI variants are used on purpose: the class name is plain ASCII and
// WM_COPYDATA is not text-converted, and unlike the wide ones they work on every
// Windows family.
WindowHandle Win32MessengerWindows::FindNext(WindowHandle after)
{
    return reinterpret_cast<WindowHandle>(
        FindWindowExA(nullptr, reinterpret_cast<HWND>(after), MESSENGER_WINDOW_CLASS, nullptr));
}

void Win32MessengerWindows::Send(WindowHandle h, std::uint32_t dwData, const void* lpData,
                                 std::uint32_t cbData)
{
    COPYDATASTRUCT data{};
    data.dwData = dwData;
    data.cbData = cbData;
    data.lpData = const_cast<void*>(lpData);
    DWORD_PTR result = 0;
    // SMTO_BLOCK keeps other senders from re-entering the program while it waits.
    SendMessageTimeoutA(reinterpret_cast<HWND>(h), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                        SMTO_BLOCK | SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result);
}

} // namespace nowplaying
