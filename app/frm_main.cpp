#include "frm_main.h"

#include "messenger/now_playing.h"

namespace nowplaying {

namespace {
constexpr wchar_t kWindowClass[] = L"nowplaying.frmMain";
constexpr wchar_t kCaption[] = L"About";
} // namespace

frmMain::frmMain(HINSTANCE instance) : m_hInstance(instance) {}

bool frmMain::Load()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &frmMain::WindowProc;
    wc.hInstance = m_hInstance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);

    HWND hWnd = CreateWindowExW(WS_EX_DLGMODALFRAME, kWindowClass, kCaption,
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                335, 180, nullptr, nullptr, m_hInstance, this);
    if (hWnd == nullptr) {
        return false;
    }
    m_hWnd.reset(hWnd);
    HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX,
                                 8, 80, 313, 17, hWnd, nullptr, m_hInstance, nullptr);
    m_lblSong = win32::StaticLabel(label);
    SetTimer(hWnd, TIMER1_ID, TIMER1_INTERVAL_MS, nullptr);
    return true;
}

void frmMain::SendNowPlaying(std::u16string_view song)
{
    modMsn::SendNowPlaying(m_messengers, song);
}

void frmMain::Timer1_Tick()
{
    const std::u16string_view song =
        m_winamp.GetCurrentSong(m_windowList, reinterpret_cast<WindowHandle>(m_hWnd.get()));
    m_cycle.Tick(song, m_lblSong, *this);
}

LRESULT CALLBACK frmMain::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
    return self->HandleMessage(hWnd, message, wParam, lParam);
}

LRESULT frmMain::HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == TIMER1_ID) {
            Timer1_Tick();
        }
        return 0;
    case WM_DESTROY:
        KillTimer(hWnd, TIMER1_ID);
        m_hWnd.release();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace nowplaying
