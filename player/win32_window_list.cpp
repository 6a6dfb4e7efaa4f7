#include "win32_window_list.h"

#include "win32/text.h"

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

Win32WindowList::Win32WindowList() : m_bAnsiTitles(win32::IsWindows95Family()) {}

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
    return static_cast<std::uint32_t>(GetWindowLongW(ToHwnd(h), GWL_STYLE));
}

// A title can change between the length query and the copy. The buffer keeps one
// character more than the length asked for: a copy that fills it means the title
// grew meanwhile and was cut, so it is read again instead of being taken whole.
namespace {
constexpr int kReadAttempts = 3;
}

std::size_t Win32WindowList::ReadTitle(WindowHandle h, std::u16string& title)
{
    if (m_bAnsiTitles) {
        return ReadTitleAnsi(h, title);
    }
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        const int length = GetWindowTextLengthW(ToHwnd(h));
        if (length <= 0) {
            break;
        }
        title.resize(static_cast<std::size_t>(length) + 2);
        const int copied = GetWindowTextW(ToHwnd(h), win32::Wide(title.data()), length + 2);
        if (copied <= length) {
            title.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
            return title.size();
        }
    }
    title.clear();
    return 0;
}

std::size_t Win32WindowList::ReadTitleAnsi(WindowHandle h, std::u16string& title)
{
    title.clear();
    int copied = 0;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        const int length = GetWindowTextLengthA(ToHwnd(h));
        if (length <= 0) {
            return 0;
        }
        m_ansiBuffer.resize(static_cast<std::size_t>(length) + 2);
        copied = GetWindowTextA(ToHwnd(h), m_ansiBuffer.data(), length + 2);
        if (copied <= length) {
            break;
        }
        copied = 0;
    }
    if (copied <= 0) {
        return 0;
    }
    const int wide = MultiByteToWideChar(CP_ACP, 0, m_ansiBuffer.data(), copied, nullptr, 0);
    if (wide <= 0) {
        return 0;
    }
    title.resize(static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_ACP, 0, m_ansiBuffer.data(), copied, win32::Wide(title.data()), wide);
    return title.size();
}

} // namespace nowplaying
