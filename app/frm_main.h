#pragma once
// The About window: hosts the poll timer and the song label, and owns what the
// poll cycle needs between ticks.

#include "app/poll_cycle.h"
#include "messenger/win32_messenger_windows.h"
#include "player/win32_window_list.h"
#include "player/window_scan.h"
#include "win32/static_label.h"
#include "win32/unique_handle.h"

#include <windows.h>

namespace nowplaying {

class frmMain final : public SongSender {
public:
    static constexpr UINT_PTR TIMER1_ID = 1;
    static constexpr UINT TIMER1_INTERVAL_MS = 250;

    explicit frmMain(HINSTANCE instance);

    // Creates the window and its controls and starts Timer1; false when the window
    // could not be created.
    bool Load();
    HWND Handle() const { return m_hWnd.get(); }

    void SendNowPlaying(std::u16string_view song) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Timer1_Tick();

    HINSTANCE m_hInstance;
    win32::UniqueWindow m_hWnd;
    win32::StaticLabel m_lblSong;
    modWinamp m_winamp;
    PollCycle m_cycle;
    Win32WindowList m_windowList;
    Win32MessengerWindows m_messengers;
};

} // namespace nowplaying
