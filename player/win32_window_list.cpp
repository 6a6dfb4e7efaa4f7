#include "win32_window_list.h"

#include "player/title_read.h"
#include "win32/text.h"

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

struct WideTitleCalls final : TitleCalls<char16_t> {
    int CopyTitle(WindowHandle h, char16_t* buffer, int capacity) override
    {
        return GetWindowTextW(ToHwnd(h), win32::Wide(buffer), capacity);
    }
    int TitleLength(WindowHandle h) override { return GetWindowTextLengthW(ToHwnd(h)); }
};

struct AnsiTitleCalls final : TitleCalls<char> {
    int CopyTitle(WindowHandle h, char* buffer, int capacity) override
    {
        return GetWindowTextA(ToHwnd(h), buffer, capacity);
    }
    int TitleLength(WindowHandle h) override { return GetWindowTextLengthA(ToHwnd(h)); }
};
} // namespace

Win32WindowList::Win32WindowList() : m_bAnsiTitles(win32::IsWindows95Family()) {}

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
    return static_cast<std::uint32_t>(GetWindowLongA(ToHwnd(h), GWL_STYLE));
}

std::size_t Win32WindowList::ReadTitle(WindowHandle h, std::u16string& title)
{
    if (m_bAnsiTitles) {
        return ReadTitleAnsi(h, title);
    }
    WideTitleCalls calls;
    const std::size_t length = ReadWholeTitle(calls, h, m_wideBuffer);
    title.assign(m_wideBuffer.data(), length);
    return length;
}

std::size_t Win32WindowList::ReadTitleAnsi(WindowHandle h, std::u16string& title)
{
    AnsiTitleCalls calls;
    const std::size_t bytes = ReadWholeTitle(calls, h, m_ansiBuffer);
    // No code page makes more UTF-16 units of a text than it has bytes.
    title.resize(bytes);
    const int wide = bytes > 0 ? MultiByteToWideChar(CP_ACP, 0, m_ansiBuffer.data(), static_cast<int>(bytes),
                                                     win32::Wide(title.data()), static_cast<int>(bytes))
                               : 0;
    title.resize(wide > 0 ? static_cast<std::size_t>(wide) : 0);
    return title.size();
}

} // namespace nowplaying
