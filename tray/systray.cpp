#include "systray.h"

#include "tray/shell_version.h"

#include <algorithm>
#include <utility>

namespace nowplaying::tray {

frmSystray::frmSystray(TrayPlatform& platform, SystrayEvents& owner, std::size_t handleSize)
    : m_platform(platform),
      m_owner(owner),
      m_nidA(MakeRecordLayout(handleSize, false)),
      m_nidW(MakeRecordLayout(handleSize, true))
{
}

frmSystray::~frmSystray()
{
    Unload();
}

void frmSystray::EnsureLoaded()
{
    if (!m_bLoaded) {
        Load();
    }
}

void frmSystray::Load()
{
    const ShellLayout layout = ChooseShellLayout(GetWindowsVersion(m_platform.GetVersion()));
    m_bUseUnicode = layout.bUseUnicode;
    m_bBalloonSupport = layout.bBalloonSupport;
    m_hWnd = m_platform.CreateComponentWindow(*this);
    if (m_hWnd == 0) {
        return;
    }
    m_bLoaded = true;
    m_decoder = CallbackDecoder(m_bBalloonSupport);
    m_platform.AllowFromLowerIntegrity(m_hWnd, m_platform.ShellRestartMessage());

    // The first add shows the program's own icon at the notification area's size, so
    // that the shell can tell it from one run to the next by its pixels too. The
    // record holds the icon's only handle.
    ReloadFormIcon();
    NotifyIconRecord& nid = Nid();
    nid.Set(RecordField::hWnd, m_hWnd);
    nid.Set(RecordField::uID, ICON_ID);
    nid.Set(RecordField::uCallbackMessage, CALLBACK_MESSAGE);
    WriteText(TextField::szTip, m_platform.FileDescription(),
              CharsToBytes(m_bBalloonSupport ? TIP_CHARS : OLD_TIP_CHARS, true));
    nid.Set(RecordField::cbSize, static_cast<std::uint32_t>(NotifyIconDataSize()));
    m_addRetries = 0;
    if (!AddIcon()) {
        DestroyFormIcon();
        m_platform.DestroyComponentWindow();
        m_hWnd = 0;
        m_bLoaded = false;
    }
}

bool frmSystray::AddIcon()
{
    NotifyIconRecord& nid = Nid();
    nid.Set(RecordField::uFlags, FLAG_MESSAGE | FLAG_ICON | FLAG_TIP);
    if (m_bBalloonSupport) {
        // uTimeout doubles as uVersion; a balloon may have left its time-out there.
        nid.Set(RecordField::uTimeout, NOTIFY_VERSION_3);
    }
    if (!Send(NOTIFY_ADD) && !Send(NOTIFY_MODIFY)) {
        const std::size_t wait = std::min(m_addRetries, ADD_RETRY_DELAYS_MS.size() - 1);
        m_addRetries = wait + 1;
        return m_platform.StartRetryTimer(ADD_RETRY_DELAYS_MS[wait]);
    }
    if (m_bBalloonSupport) {
        Send(NOTIFY_SETVERSION);
    }
    return true;
}

NativeHandle frmSystray::ReloadFormIcon()
{
    const NativeHandle icon = m_platform.LoadFormIcon(TaskbarDpi());
    if (icon == 0) {
        return 0;
    }
    const auto old = static_cast<NativeHandle>(Nid().Get(RecordField::hIcon));
    Nid().Set(RecordField::hIcon, icon);
    return old;
}

std::uint32_t frmSystray::TaskbarDpi()
{
    const TaskbarDpis dpi = m_platform.TaskbarDpi();
    return dpi.window != 0 ? dpi.window : dpi.monitor != 0 ? dpi.monitor : dpi.system;
}

void frmSystray::DestroyFormIcon()
{
    m_platform.DestroyIcon(static_cast<NativeHandle>(Nid().Get(RecordField::hIcon)));
    Nid().Set(RecordField::hIcon, 0);
}

bool frmSystray::Send(std::uint32_t message)
{
    const auto& bytes = Nid().Bytes();
    return m_platform.NotifyIcon(message, bytes.data(), bytes.size(), m_bUseUnicode);
}

void frmSystray::WriteText(TextField field, std::u16string_view text, std::int32_t unicodeBytes)
{
    if (m_bUseUnicode) {
        CopyStringToBytes(text, m_nidW.Text(field), static_cast<std::size_t>(unicodeBytes));
    } else {
        WriteAnsiText(text, m_nidA.Text(field), m_platform);
    }
}

std::int32_t frmSystray::NotifyIconDataSize() const
{
    return tray::NotifyIconDataSize(m_bUseUnicode ? m_nidW.Layout() : m_nidA.Layout(), m_bBalloonSupport);
}

void frmSystray::Unload()
{
    if (!m_bLoaded) {
        return;
    }
    Send(NOTIFY_DELETE);
    DestroyFormIcon();
    m_platform.DestroyComponentWindow();
    m_hWnd = 0;
    m_bLoaded = false;
}

void frmSystray::ShowBalloonTip(std::u16string_view sMessage, std::u16string_view sTitle, std::int32_t eIcon,
                                std::int32_t lTimeOutMs)
{
    EnsureLoaded();
    if (!m_bBalloonSupport) {
        return;
    }
    WriteText(TextField::szInfo, sMessage, CharsToBytes(INFO_CHARS, true));
    WriteText(TextField::szInfoTitle, sTitle, CharsToBytes(INFO_TITLE_CHARS, true));
    NotifyIconRecord& nid = Nid();
    nid.Set(RecordField::uTimeout, static_cast<std::uint32_t>(lTimeOutMs));
    nid.Set(RecordField::dwInfoFlags, static_cast<std::uint32_t>(eIcon));
    nid.Set(RecordField::uFlags, FLAG_INFO);
    Send(NOTIFY_MODIFY);
}

std::u16string frmSystray::ToolTip()
{
    EnsureLoaded();
    return ReadText(Nid().Text(TextField::szTip), m_bUseUnicode, m_platform);
}

void frmSystray::ToolTip(std::u16string_view sTip)
{
    EnsureLoaded();
    WriteText(TextField::szTip, sTip, CharsToBytes(m_bBalloonSupport ? TIP_CHARS : OLD_TIP_CHARS, true));
    Nid().Set(RecordField::uFlags, FLAG_TIP);
    Send(NOTIFY_MODIFY);
}

NativeHandle frmSystray::IconHandle()
{
    EnsureLoaded();
    return static_cast<NativeHandle>(Nid().Get(RecordField::hIcon));
}

std::int32_t frmSystray::AddMenuItem(std::u16string_view sCaption, std::u16string_view sKey, bool bDefault)
{
    EnsureLoaded();
    return m_menu.AddMenuItem(sCaption, sKey, bDefault);
}

void frmSystray::EnableMenuItem(std::int32_t lIndex, bool bState)
{
    EnsureLoaded();
    m_menu.EnableMenuItem(lIndex, bState);
}

std::int32_t frmSystray::RemoveMenuItem(std::int32_t iIndex)
{
    EnsureLoaded();
    return m_menu.RemoveMenuItem(iIndex);
}

std::int32_t frmSystray::DefaultMenuIndex()
{
    EnsureLoaded();
    return m_menu.DefaultMenuIndex();
}

void frmSystray::DefaultMenuIndex(std::int32_t lIndex)
{
    EnsureLoaded();
    m_menu.DefaultMenuIndex(lIndex);
}

void frmSystray::ShowMenu()
{
    // Only where the shell reports the keyboard on the icon (version 3) can this be set.
    const bool keyboard = std::exchange(m_bKeyboardRequest, false);
    EnsureLoaded();
    const std::vector<PopupItem> items = m_menu.PopupItems();
    if (items.empty()) {
        return;
    }
    // The mouse's menu opens at the pointer; the keyboard's beside the icon, where the
    // shell says where that is, as the pointer may be anywhere. Asked first: an icon in
    // the overflow flyout (7 and later) loses its place when the flyout closes, which
    // it may do once another window takes the foreground.
    const std::optional<ScreenRect> icon = keyboard ? m_platform.IconRect(m_hWnd, ICON_ID) : std::nullopt;
    // The keyboard's menu is a context menu as the system's own are: aligned as the
    // system's menus drop, and taking either button.
    const std::uint32_t flags = keyboard ? MENU_RIGHT_BUTTON | (m_platform.MenuDropsRight() ? MENU_RIGHT_ALIGN : 0) : 0;
    m_platform.SetForegroundWindow(m_hWnd);
    const std::optional<std::int32_t> chosen =
        m_platform.TrackPopupMenu(m_hWnd, items, m_menu.PopupDefault(), icon, flags);
    // The owner may have unloaded the component while the menu was open.
    if (!m_bLoaded) {
        return;
    }
    m_platform.PostNull(m_hWnd);
    if (!chosen || !m_menu.IsValidMenuIndex(*chosen)) {
        // Dismissed with Esc, the keyboard's menu hands the focus back to the
        // notification area, so that the user goes on from the icon; not when the user
        // went to another window, which would lose the focus.
        if (keyboard && m_platform.ForegroundWindow() == m_hWnd) {
            Send(NOTIFY_SETFOCUS);
        }
        return;
    }
    // A copy: the handler may change the menu or unload the component.
    const std::u16string key = m_menu.Element(*chosen).Tag;
    m_owner.MenuClick(*chosen, key);
}

void frmSystray::OnIconCallback(std::uint32_t code)
{
    if (const std::optional<CallbackEvent> event = m_decoder.Decode(code)) {
        m_bKeyboardRequest = m_decoder.FromKeyboard();
        Raise(m_owner, *event);
    }
}

void frmSystray::OnShellRestart()
{
    if (m_bLoaded) {
        m_platform.StopRetryTimer();
        m_addRetries = 0;
        // Explorer restarts its taskbar after a change of DPI too.
        const NativeHandle old = ReloadFormIcon();
        AddIcon();
        m_platform.DestroyIcon(old);
    }
}

void frmSystray::OnIconMetricsChange()
{
    if (!m_bLoaded) {
        return;
    }
    const NativeHandle old = ReloadFormIcon();
    if (Nid().Get(RecordField::hIcon) != old) {
        Nid().Set(RecordField::uFlags, FLAG_ICON);
        Send(NOTIFY_MODIFY);
        m_platform.DestroyIcon(old);
    }
}

void frmSystray::OnRetryTimer()
{
    if (m_bLoaded) {
        AddIcon();
    }
}

} // namespace nowplaying::tray
