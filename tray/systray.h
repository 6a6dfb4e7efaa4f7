#pragma once
// frmSystray: one notification-area icon with a tooltip, balloons, a popup menu of
// keyed items and nine events for its owner. Pure logic: the platform (the hidden
// window, the shell, the popup menu) is reached through TrayPlatform, so every
// shell call can be read as the bytes the shell would get.

#include "common/native_handle.h"
#include "tray/notify_icon_data.h"
#include "tray/tray_events.h"
#include "tray/tray_menu.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nowplaying::tray {

// What the component's window reports to the component.
class TrayWindowSink {
public:
    // A notification about the icon: the code the shell put in lParam's low word.
    virtual void OnIconCallback(std::uint32_t code) = 0;
    // The shell started again (its "TaskbarCreated" broadcast) and knows no icons.
    virtual void OnShellRestart() = 0;
    // The wait that StartRetryTimer asked for has passed.
    virtual void OnRetryTimer() = 0;
    // The DPI of a monitor or the size of icons changed: the notification area may
    // want the icon at another size.
    virtual void OnIconMetricsChange() = 0;

protected:
    ~TrayWindowSink() = default;
};

// A rectangle on the screen, in pixels.
struct ScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const ScreenRect&) const = default;
};

// What the system can say of the DPI of the monitor that holds the notification area;
// 0 where it cannot say.
struct TaskbarDpis {
    std::uint32_t window = 0;  // the taskbar window's (GetDpiForWindow, Windows 10 1607 and later)
    std::uint32_t monitor = 0; // its monitor's (GetDpiForMonitor, 8.1 and later)
    std::uint32_t system = 96;
};

// TrackPopupMenu's flags: TPM_RIGHTBUTTON and TPM_RIGHTALIGN. None is a menu that
// follows the left button, left-aligned.
inline constexpr std::uint32_t MENU_RIGHT_BUTTON = 0x0002;
inline constexpr std::uint32_t MENU_RIGHT_ALIGN = 0x0008;

class TrayPlatform : public AnsiCodePage {
public:
    // The packed value of GetVersion.
    virtual std::uint32_t GetVersion() = 0;
    // A top-level window that is never shown, so that shell broadcasts reach it; 0 when
    // it could not be created.
    virtual NativeHandle CreateComponentWindow(TrayWindowSink& sink) = 0;
    virtual void DestroyComponentWindow() = 0;
    // The message the shell broadcasts when it starts again ("TaskbarCreated").
    virtual std::uint32_t ShellRestartMessage() = 0;
    // Lets message reach hWnd also from programs of lower integrity: the shell, where
    // this program runs with more rights (elevated), whose messages would be dropped.
    virtual void AllowFromLowerIntegrity(NativeHandle hWnd, std::uint32_t message) = 0;
    virtual TaskbarDpis TaskbarDpi() = 0;
    // A new icon, the program's own at the small-icon size for dpi, which the caller
    // owns and ends with DestroyIcon.
    virtual NativeHandle LoadFormIcon(std::uint32_t dpi) = 0;
    virtual void DestroyIcon(NativeHandle hIcon) = 0;
    // Where the shell shows the icon (hWnd, uID); none where it cannot say (before
    // Windows 7).
    virtual std::optional<ScreenRect> IconRect(NativeHandle hWnd, std::uint32_t uID) = 0;
    // The program's version-resource FileDescription, empty without one.
    virtual std::u16string FileDescription() = 0;
    // Shell_NotifyIconW (unicode) or Shell_NotifyIconA with the record's bytes; false
    // when the shell did not take it.
    virtual bool NotifyIcon(std::uint32_t message, const std::uint8_t* record, std::size_t size, bool unicode) = 0;
    // Calls the sink's OnRetryTimer once, after delayMs, from the message loop; a new
    // start replaces a pending one. The component's window going stops it too. False
    // when the system has no timer left.
    virtual bool StartRetryTimer(std::uint32_t delayMs) = 0;
    virtual void StopRetryTimer() = 0;
    virtual void SetForegroundWindow(NativeHandle hWnd) = 0;
    virtual NativeHandle ForegroundWindow() = 0;
    // The system's menu alignment (SM_MENUDROPALIGNMENT): true where menus open to the
    // left of where they drop, right-aligned.
    virtual bool MenuDropsRight() = 0;
    // Pops the items up at the pointer, or beside the icon at icon, with flags (0 or
    // MENU_* ones), and returns once the menu has closed, with the index of the chosen
    // item, if any.
    virtual std::optional<std::int32_t> TrackPopupMenu(NativeHandle hWnd, const std::vector<PopupItem>& items,
                                                       std::optional<std::int32_t> defaultIndex,
                                                       const std::optional<ScreenRect>& icon, std::uint32_t flags) = 0;
    // Lets the menu close when the user clicks elsewhere.
    virtual void PostNull(NativeHandle hWnd) = 0;
};

class frmSystray final : private TrayWindowSink {
public:
    static constexpr std::uint32_t CALLBACK_MESSAGE = 512; // WM_MOUSEMOVE
    // The icon's uID, the same in every run: the shell matches an icon to the choices
    // the user made for it (shown or hidden) partly by its uID.
    static constexpr std::uint32_t ICON_ID = 1;
    static constexpr std::int32_t DEFAULT_BALLOON_TIMEOUT_MS = 30000;
    // A shell that is busy (at log-on, say) refuses the add: the waits before each
    // new try; after the last one, the last wait again until the icon is there.
    static constexpr std::array<std::uint32_t, 4> ADD_RETRY_DELAYS_MS = {1000, 2000, 4000, 8000};

    // handleSize: the pointer size of the Windows the records are laid out for. The
    // platform and the owner must outlive the component, whose end deletes the icon.
    frmSystray(TrayPlatform& platform, SystrayEvents& owner, std::size_t handleSize = sizeof(void*));
    ~frmSystray();
    frmSystray(const frmSystray&) = delete;
    frmSystray& operator=(const frmSystray&) = delete;

    // The first use of any member loads the component: it chooses the record layout
    // and adds the icon. Without a window, or with the add refused and no timer to try
    // again, it stays unloaded (Loaded() is false) and the next use tries again.
    void ShowBalloonTip(std::u16string_view sMessage, std::u16string_view sTitle = u"", std::int32_t eIcon = 0,
                        std::int32_t lTimeOutMs = DEFAULT_BALLOON_TIMEOUT_MS);
    std::u16string ToolTip();
    void ToolTip(std::u16string_view sTip);
    NativeHandle IconHandle();
    std::int32_t AddMenuItem(std::u16string_view sCaption, std::u16string_view sKey = u"", bool bDefault = false);
    void EnableMenuItem(std::int32_t lIndex, bool bState);
    std::int32_t RemoveMenuItem(std::int32_t iIndex);
    std::int32_t DefaultMenuIndex();
    void DefaultMenuIndex(std::int32_t lIndex);
    void ShowMenu();

    // Deletes the icon and the window. The records and the menu stay; a later use
    // loads the component again.
    void Unload();

    bool Loaded() const { return m_bLoaded; }
    bool UsesUnicode() const { return m_bUseUnicode; }
    bool HasBalloonSupport() const { return m_bBalloonSupport; }
    std::int32_t NotifyIconDataSize() const;
    NativeHandle WindowHandle() const { return m_hWnd; }

private:
    void EnsureLoaded();
    void Load();
    // NOTIFY_ADD with the record in use, then NOTIFY_SETVERSION on balloon shells; an
    // icon the shell has already (an add that timed out, yet was done) takes a
    // NOTIFY_MODIFY instead. When the shell refuses both, the next try is timed: false
    // when it cannot be.
    bool AddIcon();
    // Puts the program's icon for the notification area's DPI in the record and
    // returns the one it replaces, which the caller destroys once the shell has the
    // new one (the shell copies the icon it is given); 0 when none was loaded.
    NativeHandle ReloadFormIcon();
    // The most precise of the DPIs the system can say.
    std::uint32_t TaskbarDpi();
    void DestroyFormIcon();
    bool Send(std::uint32_t message);
    NotifyIconRecord& Nid() { return m_bUseUnicode ? m_nidW : m_nidA; }
    void WriteText(TextField field, std::u16string_view text, std::int32_t unicodeBytes);

    void OnIconCallback(std::uint32_t code) override;
    void OnShellRestart() override;
    void OnRetryTimer() override;
    void OnIconMetricsChange() override;

    TrayPlatform& m_platform;
    SystrayEvents& m_owner;
    CallbackDecoder m_decoder;
    NotifyIconRecord m_nidA;
    NotifyIconRecord m_nidW;
    TrayMenu m_menu; // mnuSysTray with m_bMenuStarted and m_lDefaultMenuIndex
    bool m_bUseUnicode = false;
    bool m_bBalloonSupport = false;
    bool m_bLoaded = false;
    NativeHandle m_hWnd = 0;
    // The last event raised was the keyboard's request for the menu.
    bool m_bKeyboardRequest = false;
    // Tries timed since the last load or shell restart, counted up to the last wait.
    std::size_t m_addRetries = 0;
};

} // namespace nowplaying::tray
