#include "frm_main.h"

#include "app/about_layout.h"
#include "app/resources/resource.h"
#include "messenger/now_playing.h"
#include "win32/api.h"
#include "win32/dpi.h"

#include <string_view>

namespace nowplaying {

namespace {

constexpr char16_t kCaption[] = u"About";
// Fixed size: no sizing border, no minimize or maximize box; the close box stays.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = 0;
// Not in every SDK this program builds with (Windows 8.1 and later send it).
constexpr UINT kWmDpiChanged = 0x02E0;

static_assert(ID_CMD_OK == IDOK, "Enter in the window must click cmdOk");

const char16_t* ControlCaption(int id)
{
    switch (id) {
    case ID_LBL1:
        return u"'What I'm listening to' in Winamp plugin for MSN Messenger 7.";
    case ID_LBL2:
        return u"nowplaying version " NOWPLAYING_VERSION_TEXT;
    case ID_CMD_OK:
        return u"Ok";
    case ID_LBL3:
        return u"Currently Listening to:";
    default:
        return u"";
    }
}

struct CaptionFit {
    int needed;
    int available;
};

// The fixed caption that overflows its label the most, with font selected into dc.
CaptionFit TightestCaption(HDC dc, HFONT font, int dpi)
{
    CaptionFit tightest{0, 1};
    const HGDIOBJ previous = SelectObject(dc, font);
    for (const AboutControl& control : ABOUT_CONTROLS) {
        const std::u16string_view caption = ControlCaption(control.id);
        SIZE extent{};
        // GetTextExtentPoint32W is one of the few wide functions that the 95 family implements.
        if (control.kind != ControlKind::Label ||
            !GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(caption.data()),
                                   static_cast<int>(caption.size()), &extent)) {
            continue;
        }
        const int available = ToPixels(control.twips, dpi).Width();
        if (static_cast<long long>(extent.cx) * tightest.available >
            static_cast<long long>(tightest.needed) * available) {
            tightest = {static_cast<int>(extent.cx), available};
        }
    }
    SelectObject(dc, previous);
    return tightest;
}

// The message font at dpi, made smaller where a fixed caption would not fit its
// one-line label; a font of a current system is wider than the one the layout
// was drawn for.
win32::UniqueFont CreateCaptionFont(HWND hWnd, UINT dpi)
{
    LOGFONTW logFont{};
    if (!win32::MessageFontForDpi(dpi, logFont)) {
        return {};
    }
    const int originalHeight = logFont.lfHeight;
    const HDC dc = GetDC(hWnd);
    win32::UniqueFont font;
    for (;;) {
        font.reset(win32::CreateFontIndirectT(logFont));
        if (!font || dc == nullptr) {
            break;
        }
        const CaptionFit fit = TightestCaption(dc, font.get(), static_cast<int>(dpi));
        const int next = FitFontHeight(logFont.lfHeight, originalHeight, fit.needed, fit.available);
        if (next == logFont.lfHeight) {
            break;
        }
        logFont.lfHeight = next;
    }
    if (dc != nullptr) {
        ReleaseDC(hWnd, dc);
    }
    return font;
}

win32::UniqueIcon LoadAppIcon(HINSTANCE instance, int metric, UINT dpi)
{
    const int size = win32::SystemMetricForDpi(metric, dpi);
    return win32::UniqueIcon(
        static_cast<HICON>(win32::LoadImageT(instance, IDI_NOWPLAYING, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

} // namespace

frmMain::frmMain(HINSTANCE instance) : m_hInstance(instance), m_trayPlatform(instance) {}

bool frmMain::Load()
{
    constexpr int kArrowCursor = 32512; // IDC_ARROW
    win32::RegisterClassExT({WINDOW_CLASS, &frmMain::WindowProc, m_hInstance, win32::LoadSystemCursorT(kArrowCursor),
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});

    // An owned window has no taskbar button, yet keeps a normal caption with the
    // window icon (a tool window would get a small caption without an icon). The
    // owner is never shown.
    m_owner.reset(
        win32::CreateWindowExT(0, u"STATIC", u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, m_hInstance, nullptr));

    // Sized for the system DPI first; ApplyDpi corrects it once the window's own
    // DPI (that of its monitor) is known.
    const UINT systemDpi = win32::SystemDpi();
    const PixelSize client = AboutClientSize(static_cast<int>(systemDpi));
    const SIZE outer = win32::WindowSizeForClient(client.width, client.height, kStyle, kExStyle, systemDpi);
    HWND hWnd = win32::CreateWindowExT(kExStyle, WINDOW_CLASS, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                       outer.cx, outer.cy, m_owner.get(), nullptr, m_hInstance, this);
    if (hWnd == nullptr) {
        return false;
    }
    m_hWnd.reset(hWnd);
    CreateControls();
    ApplyDpi(win32::WindowDpi(hWnd), nullptr);
    SetTimer(hWnd, TIMER1_ID, TIMER1_INTERVAL_MS, nullptr);
    LoadSysTray();
    return true;
}

void frmMain::LoadSysTray()
{
    tray::SystrayEvents& events = *this;
    m_frmSysTray = std::make_unique<tray::frmSystray>(m_trayPlatform, events);
    // The first item loads the component, which puts the icon in the notification area.
    m_frmSysTray->AddMenuItem(u"&About", KEY_ABOUT, false);
    m_frmSysTray->AddMenuItem(u"-", u"", false);
    m_frmSysTray->AddMenuItem(u"&Exit", KEY_EXIT, false);
    m_frmSysTray->ToolTip(u"MSN 7 Plugin: What im listening to in Winamp.");
    m_frmSysTray->IconHandle(reinterpret_cast<tray::NativeHandle>(m_iconSmall.get()));
}

void frmMain::Unload()
{
    if (m_frmSysTray) {
        m_frmSysTray->Unload();
        m_frmSysTray.reset();
    }
}

void frmMain::SysTrayMouseDown(std::int32_t eButton)
{
    // A right-click on the icon while the menu is open must not open a second one.
    if (eButton != tray::BUTTON_RIGHT || m_bMenuOpen || !m_frmSysTray) {
        return;
    }
    m_bMenuOpen = true;
    m_frmSysTray->ShowMenu();
    m_bMenuOpen = false;
}

void frmMain::MenuClick(std::int32_t, std::u16string_view sKey)
{
    if (sKey == KEY_ABOUT) {
        Show();
    } else if (sKey == KEY_EXIT) {
        // Posted, not done here: the component is still inside ShowMenu, and the
        // close destroys it.
        win32::PostMessageT(m_hWnd.get(), WM_CLOSE, 0, 0);
    }
}

void frmMain::CreateControls()
{
    for (const AboutControl& control : ABOUT_CONTROLS) {
        const bool button = control.kind == ControlKind::DefaultButton;
        const DWORD style = WS_CHILD | WS_VISIBLE |
                            (button ? WS_TABSTOP | BS_DEFPUSHBUTTON : SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS);
        HWND hControl = win32::CreateWindowExT(0, button ? u"BUTTON" : u"STATIC", ControlCaption(control.id), style,
                                               0, 0, 0, 0, m_hWnd.get(),
                                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                               m_hInstance, nullptr);
        if (control.id == ID_LBL_SONG) {
            m_lblSong = win32::StaticLabel(hControl);
        }
    }
}

void frmMain::ApplyDpi(UINT dpi, const RECT* suggested)
{
    HWND hWnd = m_hWnd.get();
    const int iDpi = static_cast<int>(dpi);

    win32::UniqueFont font = CreateCaptionFont(hWnd, dpi);
    if (font) {
        for (const AboutControl& control : ABOUT_CONTROLS) {
            win32::SendDlgItemMessageT(hWnd, control.id, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        }
        m_font = std::move(font); // the old font is deleted only now that no control uses it
    }

    for (const AboutControl& control : ABOUT_CONTROLS) {
        const PixelRect rect = ToPixels(control.twips, iDpi);
        SetWindowPos(GetDlgItem(hWnd, control.id), nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    win32::UniqueIcon bigIcon = LoadAppIcon(m_hInstance, SM_CXICON, dpi);
    win32::UniqueIcon smallIcon = LoadAppIcon(m_hInstance, SM_CXSMICON, dpi);
    win32::SendMessageT(hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    win32::SendMessageT(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    if (m_frmSysTray) {
        // The notification area shows the window's small icon: it takes the new one
        // before the old one is destroyed.
        m_frmSysTray->IconHandle(reinterpret_cast<tray::NativeHandle>(smallIcon.get()));
    }
    m_iconBig = std::move(bigIcon);
    m_iconSmall = std::move(smallIcon);

    const PixelSize client = AboutClientSize(iDpi);
    const SIZE outer = win32::WindowSizeForClient(client.width, client.height, kStyle, kExStyle, dpi);
    const int x = suggested != nullptr ? suggested->left : 0;
    const int y = suggested != nullptr ? suggested->top : 0;
    SetWindowPos(hWnd, nullptr, x, y, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | (suggested != nullptr ? 0u : UINT{SWP_NOMOVE}));
}

void frmMain::Show()
{
    if (!IsWindowVisible(m_hWnd.get())) {
        ShowWindow(m_hWnd.get(), SW_SHOWNORMAL);
    }
}

void frmMain::cmdOk_Click()
{
    ShowWindow(m_hWnd.get(), SW_HIDE);
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
        win32::SetWindowLongPtrT(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(win32::CreateParam(lParam)));
    }
    auto* self = reinterpret_cast<frmMain*>(win32::GetWindowLongPtrT(hWnd, GWLP_USERDATA));
    if (self == nullptr) {
        return win32::DefWindowProcT(hWnd, message, wParam, lParam);
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
    case kWmDpiChanged:
        ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case SHOW_ABOUT_MESSAGE:
        Show();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The session ends: the process may be stopped once this returns, so the
        // window is unloaded (and the icon removed) now.
        if (wParam != FALSE) {
            DestroyWindow(hWnd);
        }
        return 0;
    case WM_DESTROY:
        KillTimer(hWnd, TIMER1_ID);
        Unload();
        m_hWnd.release();
        PostQuitMessage(0);
        return 0;
    default:
        return win32::DefWindowProcT(hWnd, message, wParam, lParam);
    }
}

} // namespace nowplaying
