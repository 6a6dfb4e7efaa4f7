#include "desktop.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace support {

namespace {
struct WindowSearch {
    DWORD processId;          // 0: any process
    const wchar_t* className; // null: any class
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hWnd, &owner);
    wchar_t className[256];
    if ((search->processId == 0 || owner == search->processId) && (!search->visibleOnly || IsWindowVisible(hWnd)) &&
        (search->className == nullptr ||
         (GetClassNameW(hWnd, className, 256) > 0 && std::wstring(className) == search->className))) {
        search->found.push_back(hWnd);
    }
    return TRUE;
}
} // namespace

std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* className, bool visibleOnly)
{
    WindowSearch search{processId, className, visibleOnly, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindProcessWindow(const Process& process, const wchar_t* className, Clock timeout)
{
    std::vector<HWND> found;
    WaitUntil(
        [&] {
            found = ProcessWindows(process.Id(), className, false);
            return !found.empty() || !process.Running();
        },
        timeout);
    return found.empty() ? nullptr : found.front();
}

int CountProcessWindows(DWORD processId)
{
    return static_cast<int>(ProcessWindows(processId, nullptr, true).size());
}

SIZE ClientSize(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

RECT ControlRect(HWND parent, int controlId)
{
    RECT rect{};
    const HWND control = GetDlgItem(parent, controlId);
    if (control != nullptr && GetWindowRect(control, &rect)) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[1024];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                             &length)) {
        return L"(no answer)";
    }
    return std::wstring(text, length);
}

bool WaitForText(HWND window, const std::wstring& text, Clock timeout)
{
    return WaitUntil([&] { return TextOf(window) == text; }, timeout);
}

bool WaitForVisible(HWND window, bool visible, Clock timeout)
{
    return window != nullptr && WaitUntil([&] { return (IsWindowVisible(window) != FALSE) == visible; }, timeout);
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Wine shows notification icons as child windows of its own tray window: the X11
// driver's stand-alone tray without a desktop tray, explorer's taskbar otherwise.
std::vector<HWND> VisibleTrayIcons()
{
    const std::pair<const wchar_t*, const wchar_t*> trays[] = {{L"__winex11_standalone_tray", L"__winex11_tray_icon"},
                                                               {L"Shell_TrayWnd", L"__wine_tray_icon"}};
    std::vector<HWND> icons;
    for (const auto& [trayClass, iconClass] : trays) {
        if (HWND tray = FindWindowW(trayClass, nullptr)) {
            WindowSearch search{0, iconClass, true, {}};
            EnumChildWindows(tray, CollectWindow, reinterpret_cast<LPARAM>(&search));
            icons.insert(icons.end(), search.found.begin(), search.found.end());
        }
    }
    return icons;
}

bool WaitForIconCount(std::size_t count, Clock timeout)
{
    return WaitUntil([&] { return VisibleTrayIcons().size() == count; }, timeout);
}

StandInShell::StandInShell(int refusedAdds, bool stepsAside)
    : m_refusedAdds(refusedAdds), m_stepsAside(stepsAside), m_ready(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    m_thread.reset(CreateThread(nullptr, 0, &StandInShell::Run, this, 0, &m_threadId));
    EXPECT_EQ(WaitForSingleObject(m_ready.get(), 5000), WAIT_OBJECT_0) << "the stand-in shell did not start";
}

StandInShell::~StandInShell()
{
    PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(m_thread.get(), 5000);
}

bool StandInShell::WaitUntilAside(Clock timeout) const
{
    return WaitForSingleObject(m_thread.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

int StandInShell::Calls(DWORD code) const
{
    return code < m_calls.size() ? m_calls[code].load() : 0;
}

DWORD WINAPI StandInShell::Run(void* self)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &StandInShell::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassExW(&wc);
    // Topmost, so that it comes before Wine's tray window in Z-order.
    const nowplaying::win32::UniqueWindow window(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName,
                                                                 nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                                                 wc.hInstance, nullptr));
    SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetEvent(static_cast<StandInShell*>(self)->m_ready.get());
    MSG msg;
    while (window && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}

LRESULT CALLBACK StandInShell::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<StandInShell*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (message != WM_COPYDATA || self == nullptr) {
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
    const ULONG_PTR code = reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData;
    if (code < self->m_calls.size()) {
        ++self->m_calls[code];
    }
    if (code == NIM_ADD && static_cast<int>(self->m_refusedAddsUs.size()) < self->m_refusedAdds) {
        self->m_refusedAddsUs.push_back(NowMicroseconds());
        if (static_cast<int>(self->m_refusedAddsUs.size()) == self->m_refusedAdds && self->m_stepsAside) {
            PostQuitMessage(0);
        }
        return FALSE;
    }
    self->m_added = self->m_added || code == NIM_ADD;
    return self->m_added ? TRUE : FALSE;
}

// The pointer and the keyboard of the test display, as a user would use them. (No
// --sync: it waits forever when the pointer is already where it is sent.)
void Xdotool(const std::string& arguments)
{
    EXPECT_TRUE(RunUnixShell("xdotool " + arguments, 5s)) << "xdotool " << arguments << " did not finish";
}

unsigned long XWindowOf(HWND window)
{
    return static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetPropW(window, L"__wine_x11_whole_window")));
}

bool WaitForMapped(HWND window, bool mapped, Clock timeout)
{
    const unsigned long xWindow = XWindowOf(window);
    if (xWindow == 0) {
        std::printf("WaitForMapped: the window has no X window\n");
        return false;
    }
    // The loop keeps to its own deadline: on a loaded machine one xwininfo can take far
    // longer than the pause between two, and a count of rounds would outlast the wait.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count();
    // No double quotes: the command line carries the script inside them.
    const std::string command =
        "end=$(($(date +%s%3N) + " + std::to_string(ms) + ")); while :; do state=$(xwininfo -id " +
        std::to_string(xWindow) + " 2>&1 | sed -n 's/.*Map State: //p'); case x$state in " +
        (mapped ? "xIsViewable) echo yes; break;; esac; " : "xIsViewable) ;; *) echo yes; break;; esac; ") +
        "if [ $(date +%s%3N) -ge $end ]; then echo map state $state; break; fi; sleep 0.05; done";
    const auto answer = RunUnixShell(command, timeout + 10s);
    if (answer && answer->find("yes") != std::string::npos) {
        return true;
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("WaitForMapped: X window 0x%lx, %s  the window: visible %d, minimized %d, at (%ld,%ld)-(%ld,%ld)\n",
                xWindow, answer ? answer->c_str() : "no answer from the shell\n", IsWindowVisible(window) ? 1 : 0,
                IsIconic(window) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom);
    // What the window manager made of it, and whether it is still at work.
    const std::string id = std::to_string(xWindow);
    const auto seen =
        RunUnixShell("xprop -id " + id + " WM_STATE _NET_WM_STATE WM_HINTS WM_TRANSIENT_FOR; xwininfo -tree -id " + id +
                         " | grep -i -e parent -e children; ps -o pid,stat,wchan:24,time,args -C openbox,Xvfb",
                     10s);
    std::printf("%s\n", seen ? seen->c_str() : "no answer from the shell");
    return false;
}

void ClickAt(HWND window, int button, std::optional<POINT> at)
{
    const HWND top = GetAncestor(window, GA_ROOT);
    ASSERT_TRUE(WaitForMapped(top, true, 5s)) << "the window to click is not shown on the X display";
    RECT frame{};
    GetWindowRect(top, &frame);
    POINT client{0, 0};
    ClientToScreen(top, &client);
    const POINT border{client.x - frame.left, client.y - frame.top};
    // The point in the top-level window's client coordinates, from relative places only.
    POINT point{};
    if (window == top) {
        RECT area{};
        GetClientRect(top, &area);
        point = at ? POINT{at->x - border.x, at->y - border.y} : POINT{area.right / 2, area.bottom / 2};
    } else {
        RECT area{};
        GetClientRect(window, &area);
        point = at.value_or(POINT{area.right / 2, area.bottom / 2});
        MapWindowPoints(window, top, &point, 1);
    }
    // Wine's X window covers the whole window where Wine draws the frame, and the
    // client area where the window manager does: the X window's width tells which.
    // The click waits until the pointer is over that window: a window just hidden can
    // still cover it while the window manager takes its frame away.
    const std::string xWindow = std::to_string(XWindowOf(top));
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx ", XWindowOf(top));
    // The pointer is over the window when the top-level X window under it (the window
    // manager's frame, or the window itself) holds it.
    const std::string command = "eval $(xdotool getwindowgeometry --shell " + xWindow +
                                "); if [ $WIDTH = " + std::to_string(frame.right - frame.left) +
                                " ]; then dx=" + std::to_string(point.x + border.x) +
                                " dy=" + std::to_string(point.y + border.y) + "; else dx=" + std::to_string(point.x) +
                                " dy=" + std::to_string(point.y) +
                                "; fi; for i in $(seq 100); do xdotool mousemove --window " + xWindow +
                                " $dx $dy; eval $(xdotool getmouselocation --shell); if [ $WINDOW = " + xWindow +
                                " ] || xwininfo -tree -id $WINDOW | grep -q '" + hex + "'; then xdotool click " +
                                std::to_string(button) + " && echo clicked && break; fi; sleep 0.05; done";
    const auto answer = RunUnixShell(command, 10s);
    EXPECT_TRUE(answer && answer->find("clicked") != std::string::npos)
        << "the pointer never came over the window to click: " << command;
}

HWND VisibleMenuWindow(DWORD processId)
{
    const std::vector<HWND> menus = ProcessWindows(processId, L"#32768", true);
    return menus.empty() ? nullptr : menus.front();
}

HWND OpenTrayMenu(HWND icon, DWORD processId)
{
    // A press on the icon within the double-click time of the last one is a double
    // click, which opens no menu: that time must have passed since the last right-click.
    static long long lastRightClickUs = 0;
    const long long sinceUs = NowMicroseconds() - lastRightClickUs;
    const long long doubleClickUs = static_cast<long long>(GetDoubleClickTime()) * 1000;
    if (sinceUs < doubleClickUs) {
        Sleep(static_cast<DWORD>((doubleClickUs - sinceUs) / 1000 + 1));
    }
    ClickAt(icon, 3);
    lastRightClickUs = NowMicroseconds();
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = VisibleMenuWindow(processId)) != nullptr; }, kReact);
    EXPECT_NE(menu, nullptr) << "the right-click on the icon opened no menu";
    return menu;
}

// A key pressed in the open menu. It goes to the menu's own X window: the click on
// the icon left the X focus on Wine's tray window, whose process does not own the menu.
void PressKeyInMenu(HWND menu, const std::string& key)
{
    const unsigned long xWindow = XWindowOf(menu);
    ASSERT_NE(xWindow, 0u) << "the menu is not shown through Wine's X11 driver";
    Xdotool("key --window " + std::to_string(xWindow) + " " + key);
}

namespace {
// The texts of the tooltips Wine's tray shows for its icons, read across processes.
std::vector<std::wstring> TrayTooltips()
{
    std::vector<std::wstring> texts;
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    if (tray == nullptr) {
        tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    }
    DWORD trayProcess = 0;
    if (tray == nullptr || GetWindowThreadProcessId(tray, &trayProcess) == 0) {
        return texts;
    }
    const nowplaying::win32::UniqueKernelHandle owner(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, trayProcess));
    const HANDLE process = owner.get();
    if (process == nullptr) {
        return texts;
    }
    // The tooltip control copies into the caller's buffers, which must therefore lie
    // in the tray's own process.
    constexpr std::size_t kTextChars = 1024;
    auto* remote = static_cast<unsigned char*>(
        VirtualAllocEx(process, nullptr, sizeof(TTTOOLINFOW) + kTextChars * 2, MEM_COMMIT, PAGE_READWRITE));
    auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));
    for (HWND tooltip : ProcessWindows(trayProcess, TOOLTIPS_CLASSW, false)) {
        const auto count = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; remote != nullptr && i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof(info);
            WriteProcessMemory(process, remote, &info, sizeof(info), nullptr);
            if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote))) {
                continue;
            }
            ReadProcessMemory(process, remote, &info, sizeof(info), nullptr);
            info.lpszText = remoteText;
            const wchar_t empty = 0;
            WriteProcessMemory(process, remoteText, &empty, sizeof(empty), nullptr);
            WriteProcessMemory(process, remote, &info, sizeof(info), nullptr);
            SendMessageW(tooltip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote));
            std::wstring text(kTextChars, L'\0');
            ReadProcessMemory(process, remoteText, text.data(), kTextChars * 2, nullptr);
            text.resize(std::wcslen(text.c_str()));
            texts.push_back(text);
        }
    }
    if (remote != nullptr) {
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    return texts;
}
} // namespace

bool WaitForTrayTooltip(const std::wstring& text, Clock timeout)
{
    return WaitUntil(
        [&] {
            const std::vector<std::wstring> tips = TrayTooltips();
            return std::find(tips.begin(), tips.end(), text) != tips.end();
        },
        timeout);
}

} // namespace support
