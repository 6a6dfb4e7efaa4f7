// Stand-in for the media player: a visible, bordered top-level window whose title
// carries the player's marker. Tests change the title with WM_SETTEXT; the demo
// lets it cycle through a few songs.
//
//   standin_player.exe [--title TEXT] [--cycle MILLISECONDS]

#include "peers/peer_window.h"
#include "support/command_line.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr char16_t kClass[] = u"nowplaying.StandInPlayer";
constexpr UINT_PTR kCycleTimer = 1;

const std::vector<std::wstring> kDemoTitles = {
    L"1. The Stand-ins - Window Title Blues - Winamp",
    L"2. Ærøskøbing Brass - Ballade für Zoë - Winamp",
    L"3. 架空の楽団 - 夜明けの歌 - Winamp",
    L"4. Κουαρτέτο Δέλτα - Καλοκαίρι - Winamp",
    L"5. The Stand-ins - Window Title Blues (Reprise) - Winamp [Paused]",
};
std::size_t g_next = 1;

class StandInPlayer final : public peers::PeerWindow {
public:
    StandInPlayer() : PeerWindow(kClass, COLOR_WINDOW) {}

private:
    LRESULT OnMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_TIMER:
            SetWindowTextW(hWnd, kDemoTitles[g_next].c_str());
            g_next = (g_next + 1) % kDemoTitles.size();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hWnd, &ps);
            wchar_t title[1024];
            const int length = GetWindowTextW(hWnd, title, 1024);
            RECT rc;
            GetClientRect(hWnd, &rc);
            DrawTextW(dc, title, length, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            EndPaint(hWnd, &ps);
            return 0;
        }
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcW(hWnd, message, wParam, lParam);
            InvalidateRect(hWnd, nullptr, TRUE);
            return result;
        }
        default: return PeerWindow::OnMessage(hWnd, message, wParam, lParam);
        }
    }
};

} // namespace

int wmain()
{
    const support::CommandLine args;
    const std::wstring title = args.Value(L"--title", kDemoTitles[0]);
    const int cycleMs = args.Int(L"--cycle", 0);

    StandInPlayer player;
    if (!player.Create(title, 40, 40)) {
        return 1;
    }
    if (cycleMs > 0) {
        SetTimer(player.Handle(), kCycleTimer, static_cast<UINT>(cycleMs), nullptr);
    }
    StandInPlayer::RunMessageLoop();
    return 0;
}
