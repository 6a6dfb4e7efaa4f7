#include "win32_window_list.h"

#include "win32/api.h"

#include <windows.h>

namespace nowplaying {

namespace {
HWND ToHwnd(WindowHandle h)
{
    return reinterpret_cast<HWND>(h);
}

BOOL CALLBACK AddToSnapshot(HWND h, LPARAM lParam)
{
    reinterpret_cast<std::vector<WindowHandle>*>(lParam)->push_back(reinterpret_cast<WindowHandle>(h));
    return TRUE;
}

struct Win32TitleCalls final : TitleCalls {
    int CopyTitle(WindowHandle h, std::u16string& title, int capacity) override
    {
        return win32::GetWindowTextT(ToHwnd(h), title, capacity);
    }
    int TitleLength(WindowHandle h) override { return win32::GetWindowTextLengthT(ToHwnd(h)); }
};
} // namespace

// EnumWindows builds its list of handles before the first callback, and it gives
// them topmost first: unlike a chain of GetWindow calls, a window restacked while
// the scan runs is neither skipped nor met twice.
void Win32WindowList::Snapshot(std::vector<WindowHandle>& handles)
{
    handles.clear();
    EnumWindows(AddToSnapshot, reinterpret_cast<LPARAM>(&handles));
}

std::uint32_t Win32WindowList::Style(WindowHandle h)
{
    // The style carries no text: the ANSI function works on every family.
    return static_cast<std::uint32_t>(GetWindowLongA(ToHwnd(h), GWL_STYLE));
}

std::size_t Win32WindowList::ReadTitle(WindowHandle h, std::u16string& title)
{
    Win32TitleCalls calls;
    const std::size_t length = m_titleReader.Read(calls, h, m_buffer);
    title.assign(m_buffer, 0, length);
    return length;
}

} // namespace nowplaying
