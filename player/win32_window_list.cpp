#include "win32_window_list.h"

#include "win32/api.h"
#include "win32/handle_cast.h"

#include <windows.h>

namespace nowplaying {

namespace {
BOOL CALLBACK AddToSnapshot(HWND h, LPARAM lParam)
{
    reinterpret_cast<std::vector<NativeHandle>*>(lParam)->push_back(win32::ToNative(h));
    return TRUE;
}

struct Win32TitleCalls final : TitleCalls {
    int CopyTitle(NativeHandle h, std::u16string& title, int capacity) override
    {
        return win32::GetWindowTextT(win32::ToHwnd(h), title, capacity);
    }
    int TitleLength(NativeHandle h) override { return win32::GetWindowTextLengthT(win32::ToHwnd(h)); }
};
} // namespace

// EnumWindows builds its list of handles before the first callback, and it gives
// them topmost first: unlike a chain of GetWindow calls, a window restacked while
// the scan runs is neither skipped nor met twice.
void Win32WindowList::Snapshot(std::vector<NativeHandle>& handles)
{
    handles.clear();
    EnumWindows(AddToSnapshot, reinterpret_cast<LPARAM>(&handles));
}

std::uint32_t Win32WindowList::Style(NativeHandle h)
{
    // The style carries no text: the ANSI function works on every family.
    return static_cast<std::uint32_t>(GetWindowLongA(win32::ToHwnd(h), GWL_STYLE));
}

std::size_t Win32WindowList::ReadTitle(NativeHandle h, std::u16string& title)
{
    Win32TitleCalls calls;
    const std::size_t length = m_titleReader.Read(calls, h, m_buffer);
    title.assign(m_buffer, 0, length);
    return length;
}

} // namespace nowplaying
