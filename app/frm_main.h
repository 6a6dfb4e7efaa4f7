#pragma once
// The About window: a small fixed-size window that says what the program does and
// shows the song it detected. It hosts the poll timer and the tray component, and
// owns what the poll cycle needs between ticks; its view draws it. Ok, Enter, Esc,
// the close box and Alt+F4 only hide it.

#include "app/about_view.h"
#include "app/poll_cycle.h"
#include "app/resources/resource.h"
#include "app/tray_wiring.h"
#include "messenger/win32_messenger_windows.h"
#include "player/win32_window_list.h"
#include "player/window_scan.h"
#include "tray/win32_systray.h"
#include "win32/unique_handle.h"
#include "win32/window.h"

#include <windows.h>

namespace nowplaying {

class frmMain final : public SongSender, private TrayCommands, private win32::WindowBase {
public:
    static constexpr UINT_PTR TIMER1_ID = 1;
    static constexpr UINT TIMER1_INTERVAL_MS = 250;
    static constexpr char16_t WINDOW_CLASS[] = u"" NOWPLAYING_WINDOW_CLASS;
    // From a second start of the program: show the window, as the "about" command does.
    static constexpr UINT SHOW_ABOUT_MESSAGE = WM_APP + 1;

    explicit frmMain(HINSTANCE instance);

    // Creates the window (hidden), its owner and its controls, starts Timer1, then
    // adds the icon. When one of them fails, no icon is added and the result says, in
    // words for the user, what could not be done; null when the program runs.
    const char* Load();
    HWND Handle() const { return m_hWnd.get(); }
    // Makes the window visible, in front of the others, with the focus on Ok.
    void Show();

    void SendNowPlaying(std::u16string_view song) override;

private:
    void ShowAbout() override;
    void Exit() override;

    LRESULT HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Timer1_Tick();
    void cmdOk_Click();
    // The view's layout for dpi; suggested is the position the system proposes after a
    // change of DPI.
    void ApplyDpi(UINT dpi, const RECT* suggested);

    HINSTANCE m_hInstance;
    // Declared before the window: the class must outlive its window, the view's font
    // and icons the controls and the caption that use them, and the owner the window
    // it owns.
    win32::WindowClass m_class;
    win32::UniqueWindow m_owner;
    AboutView m_view;
    modWinamp m_winamp;
    PollCycle m_cycle;
    Win32WindowList m_windowList;
    Win32MessengerWindows m_messengers;
    modMsn::SongHolders m_holders;
    tray::Win32TrayPlatform m_trayPlatform;
    TrayWiring m_frmSysTray;
    win32::UniqueWindow m_hWnd;
};

} // namespace nowplaying
