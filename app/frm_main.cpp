#include "frm_main.h"

#include "app/about_layout.h"
#include "app/resources/resource.h"
#include "messenger/now_playing.h"
#include "win32/api.h"
#include "win32/dpi.h"
#include "win32/handle_cast.h"

#include <string_view>

namespace nowplaying {

namespace {

constexpr char16_t kCaption[] = u"About";

static_assert(ID_CMD_OK == IDOK, "Enter in the window must click cmdOk");

} // namespace

frmMain::frmMain(HINSTANCE instance)
    : m_hInstance(instance),
      m_class(WINDOW_CLASS, instance, win32::LoadArrowCursorT(), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)),
      m_view(instance),
      m_trayPlatform(instance, IDI_NOWPLAYING),
      m_frmSysTray(m_trayPlatform, *this)
{
}

const char* frmMain::Load()
{
    constexpr const char* kNoWindow =
        "nowplaying could not create its window, so it cannot run.\n\nClose some programs and start it again.";
    // An owned window has no taskbar button, yet keeps a normal caption with the
    // window icon (a tool window would get a small caption without an icon). The
    // owner is never shown.
    m_owner.reset(
        win32::CreateWindowExT(0, u"STATIC", u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, m_hInstance, nullptr));
    // Without it the window would get a taskbar button; and a system that cannot make
    // this window has no room left for the About window either.
    if (!m_owner) {
        return kNoWindow;
    }

    // Sized for the system DPI first; ApplyDpi corrects it once the window's own
    // DPI is known.
    const SIZE outer = AboutView::InitialSize();
    HWND hWnd = CreateWindowT(m_class, AboutView::EX_STYLE, kCaption, AboutView::STYLE, CW_USEDEFAULT, CW_USEDEFAULT,
                              outer.cx, outer.cy, m_owner.get());
    if (hWnd == nullptr) {
        return kNoWindow;
    }
    m_hWnd.reset(hWnd);
    // A second start asks for the window also when this one runs as administrator.
    win32::AllowFromLowerIntegrity(hWnd, SHOW_ABOUT_MESSAGE);
    if (!m_view.CreateControls(hWnd)) {
        return kNoWindow;
    }
    ApplyDpi(win32::WindowDpi(hWnd), nullptr);
    // The 95 family has a system-wide limit on timers, which other programs may have
    // used up.
    if (SetTimer(hWnd, TIMER1_ID, TIMER1_INTERVAL_MS, nullptr) == 0) {
        return "nowplaying could not start its timer, so it cannot follow the player.\n\n"
               "Close some programs and start it again.";
    }
    if (!m_frmSysTray.Load()) {
        // The message box that says so runs a message loop: no poll may send meanwhile.
        KillTimer(hWnd, TIMER1_ID);
        return "nowplaying could not put its icon in the notification area, so it could not be reached "
               "or ended.\n\nClose some programs and start it again.";
    }
    return nullptr;
}

void frmMain::ShowAbout()
{
    Show();
}

void frmMain::Exit()
{
    // Posted, not done here: the component is still inside ShowMenu.
    win32::PostMessageT(m_hWnd.get(), WM_CLOSE, 0, 0);
}

void frmMain::ApplyDpi(UINT dpi, const RECT* suggested)
{
    m_view.ApplyDpi(dpi);
    m_view.SizeWindow(dpi, suggested);
}

void frmMain::Show()
{
    if (!IsWindowVisible(m_hWnd.get())) {
        ShowWindow(m_hWnd.get(), SW_SHOWNORMAL);
    }
    // Shown already, it may lie behind the windows the user went on to: asked for, it
    // comes to the front, and its activation gives Ok the focus. The tray menu's window
    // holds the foreground when About is chosen, so the system lets this process pass
    // it on.
    SetForegroundWindow(m_hWnd.get());
}

void frmMain::cmdOk_Click()
{
    ShowWindow(m_hWnd.get(), SW_HIDE);
}

void frmMain::SendNowPlaying(std::u16string_view song)
{
    modMsn::SendNowPlaying(m_messengers, song, m_holders);
}

void frmMain::Timer1_Tick()
{
    const std::u16string_view song = m_winamp.GetCurrentSong(m_windowList, win32::ToNative(m_hWnd.get()));
    // Users often sign in to the messenger after the music started, and the song may
    // not change for minutes. A tick that sent has just reached every window.
    if (!m_cycle.Tick(song, m_view, *this)) {
        modMsn::SendToNewWindows(m_messengers, m_cycle.LastSong(), m_holders);
    }
}

LRESULT frmMain::HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == TIMER1_ID) {
            Timer1_Tick();
        }
        return 0;
    case WM_COMMAND:
        // Enter and a click on cmdOk arrive as IDOK, Esc as IDCANCEL (IsDialogMessage).
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            cmdOk_Click();
        }
        return 0;
    case WM_ACTIVATE:
        // The window is no dialog, so nothing else gives the default button the focus.
        if (LOWORD(wParam) != WA_INACTIVE) {
            SetFocus(GetDlgItem(hWnd, ID_CMD_OK));
        }
        return 0;
    case WM_SYSCOMMAND:
        // The close box, Alt+F4 and the system menu's Close hide the window, as Ok does:
        // the user who only wants it gone would otherwise stop the broadcasts unaware.
        // WM_CLOSE itself (from the menu's Exit, an uninstaller, a task manager) still
        // ends the program.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            cmdOk_Click();
            return 0;
        }
        return win32::DefWindowProcT(hWnd, message, wParam, lParam);
    case win32::DPI_CHANGED: ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam)); return 0;
    case SHOW_ABOUT_MESSAGE: Show(); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        // The session ends: the process may be stopped once this returns, so the
        // window is unloaded (and the icon removed) now, also from inside the menu.
        if (wParam != FALSE) {
            DestroyWindow(hWnd);
        }
        return 0;
    case WM_DESTROY:
        // Any unload of the window: the icon leaves the notification area with it.
        KillTimer(hWnd, TIMER1_ID);
        m_frmSysTray.Unload();
        m_hWnd.release();
        PostQuitMessage(0);
        return 0;
    default: return win32::DefWindowProcT(hWnd, message, wParam, lParam);
    }
}

} // namespace nowplaying
