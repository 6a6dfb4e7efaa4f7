#pragma once
// What the About window shows: its controls, the font that fits their captions,
// the window's icons, and the layout of it all at the window's DPI. The song label
// is the one the poll cycle writes.

#include "app/poll_cycle.h"
#include "win32/static_label.h"
#include "win32/unique_handle.h"

#include <windows.h>

namespace nowplaying {

class AboutView final : public SongLabel {
public:
    // Fixed size: no sizing border, no minimize or maximize box; the system menu gives
    // the caption its icon and close box.
    static constexpr DWORD STYLE = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    static constexpr DWORD EX_STYLE = 0;

    explicit AboutView(HINSTANCE instance) : m_hInstance(instance) {}

    // The window's outer size at the system DPI, for its creation: its own DPI (that
    // of its monitor) is known only once it exists.
    static SIZE InitialSize();

    // False when a control could not be created.
    bool CreateControls(HWND hWnd);
    // Loads the font and the icons for dpi and places the controls.
    void ApplyDpi(UINT dpi);
    // Sizes the window for dpi; suggested is the position the system proposes after
    // a change of DPI, null to keep the position.
    void SizeWindow(UINT dpi, const RECT* suggested);

    std::u16string_view Caption() const override { return m_lblSong.Caption(); }
    void SetCaption(std::u16string_view caption) override { m_lblSong.SetCaption(caption); }

private:
    HINSTANCE m_hInstance;
    HWND m_hWnd = nullptr; // the About window, which frmMain owns
    win32::UniqueFont m_font;
    win32::UniqueIcon m_iconBig;
    win32::UniqueIcon m_iconSmall;
    win32::StaticLabel m_lblSong;
};

} // namespace nowplaying
