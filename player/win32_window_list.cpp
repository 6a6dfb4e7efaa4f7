#include "win32_window_list.h"

#include "win32/api.h"

#include <windows.h>

namespace nowplaying {

namespace {
HWND ToHwnd(WindowHandle h)
{
    return reinterpret_cast<HWND>(h);
}
WindowHandle FromHwnd(HWND h)
{
    return reinterpret_cast<WindowHandle>(h);
}
} // namespace

WindowHandle Win32WindowList::First(WindowHandle hOwn)
{
    return FromHwnd(GetWindow(ToHwnd(hOwn), GW_HWNDFIRST));
}

WindowHandle Win32WindowList::Next(WindowHandle h)
{
    return FromHwnd(GetWindow(ToHwnd(h), GW_HWNDNEXT));
}

std::uint32_t Win32WindowList::Style(WindowHandle h)
{
    // The style carries no text: the ANSI function works on every family.
    return static_cast<std::uint32_t>(GetWindowLongA(ToHwnd(h), GWL_STYLE));
}

// A title can change between the length query and the copy. The buffer keeps one
// character more than the length asked for: a copy that fills it means the title
// grew meanwhile and was cut, so it is read again instead of being taken whole.
namespace {
constexpr int kReadAttempts = 3;
}

std::size_t Win32WindowList::ReadTitle(WindowHandle h, std::u16string& title)
{
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        const int length = win32::GetWindowTextLengthT(ToHwnd(h));
        if (length <= 0) {
            break;
        }
        const int copied = win32::GetWindowTextT(ToHwnd(h), title, length + 2);
        if (copied <= length) {
            return title.size();
        }
    }
    title.clear();
    return 0;
}

} // namespace nowplaying
