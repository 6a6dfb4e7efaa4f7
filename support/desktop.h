#pragma once
// The test display's desktop as a user meets it: other processes' windows read from
// outside, Wine's notification area, the pointer and keyboard (driven with xdotool),
// and open popup menus.

#include "process.h"
#include "win32/unique_handle.h"

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <atomic>
#include <optional>

#include <string>
#include <vector>

namespace support {

// The top-level windows of a process with the given class (any class when null), in
// Z-order; only the visible ones when visibleOnly.
std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* className, bool visibleOnly);
// The top-level window of a process with the given class; null when none appeared
// within timeout or the process ended first.
HWND FindProcessWindow(const Process& process, const wchar_t* className, Clock timeout);
// How many visible top-level windows the process has.
int CountProcessWindows(DWORD processId);

// Geometry and text of another process's windows, read from outside it.
SIZE ClientSize(HWND window);
// A child control's rectangle in its parent's client coordinates; empty when absent.
RECT ControlRect(HWND parent, int controlId);
std::wstring TextOf(HWND window);
// Waits until the window's text equals text; false when it did not within timeout.
bool WaitForText(HWND window, const std::wstring& text, Clock timeout);
// Waits until the window is shown, or hidden; false when it was not within timeout,
// or is no window.
bool WaitForVisible(HWND window, bool visible, Clock timeout);
// The control that has the keyboard focus in the window's thread.
HWND FocusOf(HWND window);

// The visible notification icons in Wine's tray window, each a child window of it.
std::vector<HWND> VisibleTrayIcons();
bool WaitForIconCount(std::size_t count, Clock timeout);

// Waits until one of the tooltips Wine's tray shows for its icons reads text.
bool WaitForTrayTooltip(const std::wstring& text, Clock timeout);

// A stand-in for the shell: a window of the shell's tray class in front of Wine's
// own, which Wine's Shell_NotifyIcon finds first, counting the calls it gets by
// their NIM_* code. It refuses the first refusedAdds adds, as a shell too busy at
// log-on does; then it either steps aside, so that later calls reach Wine's
// notification area, or stays and takes every call. It answers on a thread of its
// own, since those calls wait for it.
class StandInShell {
public:
    explicit StandInShell(int refusedAdds, bool stepsAside = true);
    ~StandInShell();
    StandInShell(const StandInShell&) = delete;
    StandInShell& operator=(const StandInShell&) = delete;

    // Waits until it has stepped aside; then the arrival of each refused add.
    bool WaitUntilAside(Clock timeout) const;
    const std::vector<long long>& RefusedAddsUs() const { return m_refusedAddsUs; }
    // The calls with this code (NIM_ADD to NIM_SETVERSION) so far, refused ones included.
    int Calls(DWORD code) const;

private:
    static DWORD WINAPI Run(void* self);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    const int m_refusedAdds;
    const bool m_stepsAside;
    std::vector<long long> m_refusedAddsUs;
    // Like a shell, it changes or deletes only an icon it took.
    bool m_added = false;
    std::array<std::atomic<int>, NIM_SETVERSION + 1> m_calls{};
    nowplaying::win32::UniqueKernelHandle m_ready;
    nowplaying::win32::UniqueKernelHandle m_thread;
    DWORD m_threadId = 0;
};

void Xdotool(const std::string& arguments);
// The X window Wine shows a top-level window through; 0 when it is not shown through
// Wine's X11 driver.
unsigned long XWindowOf(HWND window);
// Waits until the X server shows (or no longer shows) the window's X window. Wine
// reports a window shown or hidden before the window manager has mapped or unmapped it.
bool WaitForMapped(HWND window, bool mapped, Clock timeout);
// Clicks button (1 left, 3 right) in window, at `at` from its top-left corner or at
// its centre, once its top-level window is mapped. The point is found from the
// window's place inside its top-level window and the top-level window's X window:
// Wine's own view of screen positions lags behind the window manager's placing.
void ClickAt(HWND window, int button, std::optional<POINT> at = std::nullopt);

// The open popup menu of a process (the system's menu window class), or null.
HWND VisibleMenuWindow(DWORD processId);
// Right-clicks the notification icon and waits for the process's popup menu; null
// when none opened.
HWND OpenTrayMenu(HWND icon, DWORD processId);
// A key pressed in the open menu, sent to the menu's own X window.
void PressKeyInMenu(HWND menu, const std::string& key);

} // namespace support
