#include "about_view.h"

#include "app/about_layout.h"
#include "app/resources/resource.h"
#include "win32/api.h"
#include "win32/dpi.h"
#include "win32/text.h"

#include <string_view>

namespace nowplaying {

namespace {

const char16_t* ControlCaption(int id)
{
    switch (id) {
    case ID_LBL1: return u"'What I'm listening to' in Winamp plugin for MSN Messenger 7.";
    case ID_LBL2: return u"nowplaying version " NOWPLAYING_VERSION_TEXT;
    case ID_CMD_OK: return u"Ok";
    case ID_LBL3: return u"Currently Listening to:";
    default: return u"";
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
            !GetTextExtentPoint32W(dc, win32::Wide(caption.data()), static_cast<int>(caption.size()), &extent)) {
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

} // namespace

SIZE AboutView::InitialSize()
{
    const UINT systemDpi = win32::SystemDpi();
    const PixelSize client = AboutClientSize(static_cast<int>(systemDpi));
    return win32::WindowSizeForClient(client.width, client.height, STYLE, EX_STYLE, systemDpi);
}

bool AboutView::CreateControls(HWND hWnd)
{
    m_hWnd = hWnd;
    for (const AboutControl& control : ABOUT_CONTROLS) {
        const bool button = control.kind == ControlKind::DefaultButton;
        const DWORD style =
            WS_CHILD | WS_VISIBLE | (button ? WS_TABSTOP | BS_DEFPUSHBUTTON : SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS);
        HWND hControl = win32::CreateWindowExT(0, button ? u"BUTTON" : u"STATIC", ControlCaption(control.id), style, 0,
                                               0, 0, 0, hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                               m_hInstance, nullptr);
        if (hControl == nullptr) {
            return false;
        }
        if (control.id == ID_LBL_SONG) {
            m_lblSong = win32::StaticLabel(hControl);
        }
    }
    return true;
}

void AboutView::ApplyDpi(UINT dpi)
{
    const int iDpi = static_cast<int>(dpi);

    win32::UniqueFont font = CreateCaptionFont(m_hWnd, dpi);
    if (font) {
        for (const AboutControl& control : ABOUT_CONTROLS) {
            win32::SendDlgItemMessageT(m_hWnd, control.id, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        }
        m_font = std::move(font); // the old font is deleted only now that no control uses it
    }

    for (const AboutControl& control : ABOUT_CONTROLS) {
        const PixelRect rect = ToPixels(control.twips, iDpi);
        SetWindowPos(GetDlgItem(m_hWnd, control.id), nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    win32::UniqueIcon bigIcon = win32::LoadIconForDpi(m_hInstance, IDI_NOWPLAYING, SM_CXICON, dpi);
    win32::UniqueIcon smallIcon = win32::LoadIconForDpi(m_hInstance, IDI_NOWPLAYING, SM_CXSMICON, dpi);
    win32::SendMessageT(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    win32::SendMessageT(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    // The old icons go only now that the caption shows the new ones.
    m_iconBig = std::move(bigIcon);
    m_iconSmall = std::move(smallIcon);
}

void AboutView::SizeWindow(UINT dpi, const RECT* suggested)
{
    const PixelSize client = AboutClientSize(static_cast<int>(dpi));
    const SIZE outer = win32::WindowSizeForClient(client.width, client.height, STYLE, EX_STYLE, dpi);
    const int x = suggested != nullptr ? suggested->left : 0;
    const int y = suggested != nullptr ? suggested->top : 0;
    SetWindowPos(m_hWnd, nullptr, x, y, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | (suggested != nullptr ? 0u : UINT{SWP_NOMOVE}));
}

} // namespace nowplaying
