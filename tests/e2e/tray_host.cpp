// Test host for the tray component: owns a frmSystray as the program will (three
// menu items, the menu on a right-button press), logs what the component decided
// and every event it raises, and takes orders through its control window.
//
//   tray_host.exe --log FILE
//
// Each log line starts with the microseconds of the shared performance counter:
//   <us> loaded <unicode 0|1> <balloons 0|1> <cbSize> <GetVersion hex> <hwnd hex> <uID hex>
//   <us> tip <tooltip read back after load, UTF-8>
//   <us> event <number> [<button or index> [<key>]]
//   <us> popup <position of the default item, -1 for none> (each time the menu opens)
//   <us> unloaded
//   <us> exit
// Control window (class "nowplaying.TrayHost", never shown): WM_APP + 1 unloads the
// component, WM_CLOSE ends the host.

#include "support/command_line.h"
#include "support/log.h"
#include "tests/unit/tray_fakes.h"
#include "tray/win32_systray.h"
#include "win32/api.h"
#include "win32/window.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

using nowplaying::tray::frmSystray;

constexpr char16_t kControlClass[] = u"nowplaying.TrayHost";
constexpr UINT kUnloadMessage = WM_APP + 1;

const support::LogWriter* g_log = nullptr;

std::string Hex(unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

// The control window, which takes the tests' orders.
class HostControl final : private nowplaying::win32::WindowBase {
public:
    HostControl(HINSTANCE instance, frmSystray& systray) : m_class(kControlClass, instance), m_systray(systray) {}

    bool Create()
    {
        m_hWnd.reset(CreateWindowT(m_class, 0, u"Tray test host", WS_POPUP, 0, 0, 0, 0, nullptr));
        return static_cast<bool>(m_hWnd);
    }

private:
    LRESULT HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case kUnloadMessage:
            m_systray.Unload();
            g_log->Write("unloaded");
            return 0;
        case WM_DESTROY:
            m_hWnd.release();
            PostQuitMessage(0);
            return 0;
        default: return nowplaying::win32::DefWindowProcT(hWnd, message, wParam, lParam);
        }
    }

    nowplaying::win32::WindowClass m_class;
    frmSystray& m_systray;
    nowplaying::win32::UniqueWindow m_hWnd;
};

// The popup menu lives only inside the component's call, and another process cannot
// read it: a hook on this thread sees it as it opens and logs which item is drawn bold.
LRESULT CALLBACK LogPopupDefault(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITMENUPOPUP) {
        const UINT position = GetMenuDefaultItem(reinterpret_cast<HMENU>(message->wParam), TRUE, 0);
        g_log->Write("popup " + std::to_string(position == static_cast<UINT>(-1) ? -1 : static_cast<int>(position)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int wmain()
{
    namespace win32 = nowplaying::win32;
    // Like the program it hosts, the host calls no wide function that the 95 family lacks.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const support::CommandLine args;
    const support::LogWriter log(args.Value(L"--log", L"tray_host.log"));
    g_log = &log;

    // The host has no icon of its own: the component shows the system's.
    nowplaying::tray::Win32TrayPlatform platform(instance, 1);
    nowplaying::tray::testing::RecordingOwner owner;
    frmSystray systray(platform, owner);
    owner.onEvent = [](const std::string& event) { g_log->Write("event " + event); };
    owner.onMouseDown = [&](std::int32_t button) {
        if (button == nowplaying::tray::BUTTON_RIGHT) {
            systray.ShowMenu();
        }
    };

    systray.AddMenuItem(u"&About", u"about");
    log.Write("loaded " + std::to_string(systray.UsesUnicode()) + " " + std::to_string(systray.HasBalloonSupport()) +
              " " + std::to_string(systray.NotifyIconDataSize()) + " " + Hex(GetVersion()) + " " +
              Hex(systray.WindowHandle()));
    log.Write("tip " + support::ToUtf8(systray.ToolTip()));
    systray.AddMenuItem(u"-");
    systray.AddMenuItem(u"&Exit", u"exit");

    HostControl control(instance, systray);
    if (!control.Create()) {
        return 1;
    }
    // The hook takes no text: the ANSI function serves both families.
    const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, LogPopupDefault, nullptr, GetCurrentThreadId());

    MSG msg;
    while (win32::GetMessageT(msg) > 0) {
        TranslateMessage(&msg);
        win32::DispatchMessageT(msg);
    }
    if (hook != nullptr) {
        UnhookWindowsHookEx(hook);
    }
    systray.Unload();
    log.Write("exit");
    return 0;
}
