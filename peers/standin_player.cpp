// Stand-in for the media player: a visible, captioned top-level window that writes its
// title as the real player does. It is created as "Winamp" and then shows its first
// caption. A new caption (WM_SETTEXT from outside, as the tests send) is written plain;
// while scrolling is on (kScrollMessage), it then moves one character every 200 ms as
// the player's taskbar scroll does, and every new caption starts the scroll over.
//
//   standin_player.exe [--title TEXT] [--cycle MILLISECONDS] [--drop-caption]
//
// --cycle         the demo: the player's life in a few captions, the next every
//                 MILLISECONDS, some of them scrolled.
// --drop-caption  takes WS_CAPTION off the window around every write of its title and
//                 puts it back, as the player does.

#include "peers/peer_window.h"
#include "peers/standin_player.h"
#include "support/command_line.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr char16_t kClass[] = u"nowplaying.StandInPlayer";
constexpr UINT_PTR kCycleTimer = 1;
constexpr UINT_PTR kScrollTimer = 2;
constexpr UINT kScrollStepMs = 200;

struct Caption {
    std::wstring text;
    bool scrolled;
};

// From start-up with an empty playlist to playing, paused, the playlist number turned
// off, stopped and the playlist emptied again.
const std::vector<Caption> kDemoCaptions = {
    {L"Winamp 5.9.2 Build 10042", false},
    {L"1. The Stand-ins - Window Title Blues - Winamp", false},
    {L"2. Ærøskøbing Brass - Ballade für Zoë - Winamp", true},
    {L"3. 架空の楽団 - 夜明けの歌 - Winamp", true},
    {L"3. 架空の楽団 - 夜明けの歌 - Winamp [Paused]", true},
    {L"Κουαρτέτο Δέλτα - Καλοκαίρι - Winamp", false},
    {L"Κουαρτέτο Δέλτα - Καλοκαίρι - Winamp [Stopped]", false},
};

// The player's taskbar scroll of a caption of L characters runs from step 0 to L+2.
std::wstring ScrollStep(const std::wstring& caption, std::size_t step)
{
    const std::wstring separator = L" *** ";
    if (step < caption.size()) {
        return caption.substr(step) + separator + caption;
    }
    return separator.substr(step - caption.size()) + caption + separator;
}

class StandInPlayer final : public peers::PeerWindow {
public:
    explicit StandInPlayer(bool dropCaption) : PeerWindow(kClass, COLOR_WINDOW), m_dropCaption(dropCaption) {}

    void SetCaption(std::wstring caption, bool scrolled)
    {
        m_caption = std::move(caption);
        m_scrolled = scrolled;
        m_steps = 0;
        Write(m_caption);
        if (m_scrolled) {
            SetTimer(Handle(), kScrollTimer, kScrollStepMs, nullptr);
        } else {
            KillTimer(Handle(), kScrollTimer);
        }
    }

private:
    void Write(const std::wstring& text)
    {
        const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
        if (m_dropCaption) {
            SetWindowLongPtrW(Handle(), GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
        }
        DefWindowProcW(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (m_dropCaption) {
            SetWindowLongPtrW(Handle(), GWL_STYLE, style);
        }
        InvalidateRect(Handle(), nullptr, TRUE);
    }

    LRESULT OnMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_TIMER:
            if (wParam == kScrollTimer) {
                Write(ScrollStep(m_caption, m_steps % (m_caption.size() + 3)));
                ++m_steps;
            } else {
                const Caption& next = kDemoCaptions[m_nextDemoCaption];
                m_nextDemoCaption = (m_nextDemoCaption + 1) % kDemoCaptions.size();
                SetCaption(next.text, next.scrolled);
            }
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
        case WM_SETTEXT: SetCaption(reinterpret_cast<const wchar_t*>(lParam), m_scrolled); return TRUE;
        case peers::kScrollMessage: SetCaption(m_caption, wParam != 0); return 0;
        case peers::kStepsMessage: return static_cast<LRESULT>(m_steps);
        default: return PeerWindow::OnMessage(hWnd, message, wParam, lParam);
        }
    }

    const bool m_dropCaption;
    std::wstring m_caption;
    bool m_scrolled = false;
    std::size_t m_steps = 0;
    std::size_t m_nextDemoCaption = 1;
};

} // namespace

int wmain()
{
    const support::CommandLine args;
    const int cycleMs = args.Int(L"--cycle", 0);

    StandInPlayer player(args.Has(L"--drop-caption"));
    if (!player.Create(L"Winamp", 40, 40)) {
        return 1;
    }
    player.SetCaption(args.Value(L"--title", kDemoCaptions[0].text), kDemoCaptions[0].scrolled);
    if (cycleMs > 0) {
        SetTimer(player.Handle(), kCycleTimer, static_cast<UINT>(cycleMs), nullptr);
    }
    StandInPlayer::RunMessageLoop();
    return 0;
}
