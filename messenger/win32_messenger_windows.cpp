#include "win32_messenger_windows.h"

#include "win32/handle_cast.h"

#include <windows.h>

namespace nowplaying {

// The ANSI variants are used on purpose: the class name is plain ASCII and
// WM_COPYDATA is not text-converted, and unlike the wide ones they work on every
// Windows family.
NativeHandle Win32MessengerWindows::FindNext(NativeHandle after)
{
    return win32::ToNative(FindWindowExA(nullptr, win32::ToHwnd(after), MESSENGER_WINDOW_CLASS, nullptr));
}

void Win32MessengerWindows::Send(NativeHandle h, std::uint32_t dwData, const void* lpData, std::uint32_t cbData)
{
    COPYDATASTRUCT data{};
    data.dwData = dwData;
    data.cbData = cbData;
    data.lpData = const_cast<void*>(lpData);
    DWORD_PTR result = 0;
    // SMTO_BLOCK keeps other senders from re-entering the program while it waits.
    SendMessageTimeoutA(win32::ToHwnd(h), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                        SMTO_BLOCK | SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result);
}

} // namespace nowplaying
