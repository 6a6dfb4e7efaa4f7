#include "win32_systray.h"

#include "tray/version_resource.h"
#include "win32/api.h"
#include "win32/dpi.h"
#include "win32/handle_cast.h"
#include "win32/system_function.h"
#include "win32/text.h"

#include <shellapi.h>

#include <cstddef>
#include <cstring>

namespace nowplaying::tray {

namespace {

constexpr char16_t kWindowClass[] = u"nowplaying.frmSystray";
constexpr char16_t kCaption[] = u"SysTray Interface";
constexpr UINT_PTR kRetryTimer = 1;

// The records are built byte by byte; they must match the platform's own
// structures for this build's pointer size.
constexpr RecordLayout kAnsi = MakeRecordLayout(sizeof(void*), false);
constexpr RecordLayout kWide = MakeRecordLayout(sizeof(void*), true);

#define NOWPLAYING_CHECK_FIELD(structure, layout, field)                                                               \
    static_assert((layout).field.offset == offsetof(structure, field) &&                                               \
                      (layout).field.size == sizeof(structure::field),                                                 \
                  #structure "." #field " is where the record puts it")
#define NOWPLAYING_CHECK_LAYOUT(structure, layout)                                                                     \
    NOWPLAYING_CHECK_FIELD(structure, layout, cbSize);                                                                 \
    NOWPLAYING_CHECK_FIELD(structure, layout, hWnd);                                                                   \
    NOWPLAYING_CHECK_FIELD(structure, layout, uID);                                                                    \
    NOWPLAYING_CHECK_FIELD(structure, layout, uFlags);                                                                 \
    NOWPLAYING_CHECK_FIELD(structure, layout, uCallbackMessage);                                                       \
    NOWPLAYING_CHECK_FIELD(structure, layout, hIcon);                                                                  \
    NOWPLAYING_CHECK_FIELD(structure, layout, szTip);                                                                  \
    NOWPLAYING_CHECK_FIELD(structure, layout, dwState);                                                                \
    NOWPLAYING_CHECK_FIELD(structure, layout, dwStateMask);                                                            \
    NOWPLAYING_CHECK_FIELD(structure, layout, szInfo);                                                                 \
    NOWPLAYING_CHECK_FIELD(structure, layout, uTimeout);                                                               \
    NOWPLAYING_CHECK_FIELD(structure, layout, szInfoTitle);                                                            \
    NOWPLAYING_CHECK_FIELD(structure, layout, dwInfoFlags)

// The handle fields' sizes are a pointer's on purpose: the record must match them.
// NOLINTBEGIN(bugprone-sizeof-expression)
NOWPLAYING_CHECK_LAYOUT(NOTIFYICONDATAA, kAnsi);
NOWPLAYING_CHECK_LAYOUT(NOTIFYICONDATAW, kWide);
// NOLINTEND(bugprone-sizeof-expression)
static_assert(kAnsi.v1Size == NOTIFYICONDATAA_V1_SIZE && kAnsi.v5Size == NOTIFYICONDATAA_V2_SIZE);
static_assert(kWide.v1Size == NOTIFYICONDATAW_V1_SIZE && kWide.v5Size == NOTIFYICONDATAW_V2_SIZE);
static_assert(kAnsi.v5Size <= sizeof(NOTIFYICONDATAA) && kWide.v5Size <= sizeof(NOTIFYICONDATAW));
static_assert(MENU_RIGHT_BUTTON == TPM_RIGHTBUTTON && MENU_RIGHT_ALIGN == TPM_RIGHTALIGN);
static_assert(FLAG_MESSAGE == NIF_MESSAGE && FLAG_ICON == NIF_ICON && FLAG_TIP == NIF_TIP && FLAG_INFO == NIF_INFO);
static_assert(CODE_MOUSE_MOVE == WM_MOUSEMOVE && CODE_LEFT_DOWN == WM_LBUTTONDOWN && CODE_LEFT_UP == WM_LBUTTONUP &&
              CODE_LEFT_DOUBLE_CLICK == WM_LBUTTONDBLCLK && CODE_RIGHT_DOWN == WM_RBUTTONDOWN &&
              CODE_RIGHT_UP == WM_RBUTTONUP && CODE_RIGHT_DOUBLE_CLICK == WM_RBUTTONDBLCLK);
static_assert(CODE_BALLOON_SHOW == NIN_BALLOONSHOW && CODE_BALLOON_HIDE == NIN_BALLOONHIDE &&
              CODE_BALLOON_TIMEOUT == NIN_BALLOONTIMEOUT && CODE_BALLOON_CLICK == NIN_BALLOONUSERCLICK);
static_assert(CODE_CONTEXT_MENU == WM_CONTEXTMENU && CODE_KEY_SELECT == NIN_KEYSELECT);
static_assert(NOTIFY_ADD == NIM_ADD && NOTIFY_MODIFY == NIM_MODIFY && NOTIFY_DELETE == NIM_DELETE &&
              NOTIFY_SETFOCUS == NIM_SETFOCUS && NOTIFY_SETVERSION == NIM_SETVERSION &&
              NOTIFY_VERSION_3 == NOTIFYICON_VERSION);

// Looked up at run time: the program must load on Windows 95, whose shell is not known
// to export the wide function, and only the NT family's records are Unicode.
BOOL NotifyIconWide(DWORD message, NOTIFYICONDATAW* record)
{
    using ShellNotifyIconWFn = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
    static const auto shellNotifyIconW = win32::SystemFunction<ShellNotifyIconWFn>("shell32.dll", "Shell_NotifyIconW");
    return shellNotifyIconW != nullptr && shellNotifyIconW(message, record);
}

// NOTIFYICONIDENTIFIER, which the SDK declares for Windows 7 and later only.
struct IconIdentifier {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    GUID guidItem;
};

template <typename Record>
void CopyRecord(Record& record, const std::uint8_t* bytes, std::size_t size)
{
    std::memcpy(&record, bytes, size < sizeof(record) ? size : sizeof(record));
}

} // namespace

Win32TrayPlatform::Win32TrayPlatform(HINSTANCE instance, int iconResource)
    : m_hInstance(instance),
      m_iconResource(iconResource),
      m_taskbarCreated(win32::RegisterWindowMessageT(u"TaskbarCreated")),
      m_class(kWindowClass, instance)
{
}

Win32TrayPlatform::~Win32TrayPlatform()
{
    DestroyComponentWindow();
}

std::uint32_t Win32TrayPlatform::GetVersion()
{
    return static_cast<std::uint32_t>(::GetVersion());
}

NativeHandle Win32TrayPlatform::CreateComponentWindow(TrayWindowSink& sink)
{
    DestroyComponentWindow();
    m_sink = &sink;
    // A top-level window, never shown: a message-only window would miss the
    // shell's "TaskbarCreated" broadcast.
    m_hWnd.reset(CreateWindowT(m_class, WS_EX_TOOLWINDOW, kCaption, WS_POPUP, 0, 0, 0, 0, nullptr));
    return win32::ToNative(m_hWnd.get());
}

void Win32TrayPlatform::DestroyComponentWindow()
{
    if (m_hWnd) {
        // A popup menu of this window may be open (the session ends while it is): it
        // closes first, rather than stay on a window that is gone.
        win32::SendMessageT(m_hWnd.get(), WM_CANCELMODE, 0, 0);
        Detach(m_hWnd.get());
        m_hWnd.reset();
    }
    m_sink = nullptr;
}

std::uint32_t Win32TrayPlatform::ShellRestartMessage()
{
    return m_taskbarCreated;
}

void Win32TrayPlatform::AllowFromLowerIntegrity(NativeHandle hWnd, std::uint32_t message)
{
    win32::AllowFromLowerIntegrity(win32::ToHwnd(hWnd), message);
}

TaskbarDpis Win32TrayPlatform::TaskbarDpi()
{
    // The taskbar is per-monitor aware, so that its window's DPI is its monitor's.
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    const UINT window = win32::DpiOfWindow(taskbar);
    return {window, window != 0 ? 0 : win32::DpiOfMonitor(taskbar), win32::SystemDpi()};
}

NativeHandle Win32TrayPlatform::LoadFormIcon(std::uint32_t dpi)
{
    win32::UniqueIcon icon = win32::LoadIconForDpi(m_hInstance, m_iconResource, SM_CXSMICON, dpi);
    if (!icon) {
        // A copy, so that it can be destroyed like the program's own.
        icon.reset(CopyIcon(win32::LoadApplicationIconT()));
    }
    return win32::ToNative(icon.release());
}

void Win32TrayPlatform::DestroyIcon(NativeHandle hIcon)
{
    if (hIcon != 0) {
        ::DestroyIcon(reinterpret_cast<HICON>(hIcon));
    }
}

std::optional<ScreenRect> Win32TrayPlatform::IconRect(NativeHandle hWnd, std::uint32_t uID)
{
    using ShellNotifyIconGetRectFn = HRESULT(WINAPI*)(const IconIdentifier*, RECT*);
    static const auto getRect =
        win32::SystemFunction<ShellNotifyIconGetRectFn>("shell32.dll", "Shell_NotifyIconGetRect");
    const IconIdentifier identifier{sizeof(IconIdentifier), win32::ToHwnd(hWnd), uID, {}};
    RECT rect{};
    if (getRect == nullptr || FAILED(getRect(&identifier, &rect)) || IsRectEmpty(&rect)) {
        return std::nullopt;
    }
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

std::u16string Win32TrayPlatform::FileDescription()
{
    // The program's own version resource, read in place: the platform's version
    // library would be one more DLL for the program to load. FindResourceW is one of
    // the few wide functions that the 95 family implements.
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = resource != nullptr ? LoadResource(nullptr, resource) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return {};
    }
    const std::span<const std::uint8_t> block(static_cast<const std::uint8_t*>(data),
                                              SizeofResource(nullptr, resource));
    return FindVersionString(block, u"FileDescription");
}

bool Win32TrayPlatform::NotifyIcon(std::uint32_t message, const std::uint8_t* record, std::size_t size, bool unicode)
{
    if (unicode) {
        NOTIFYICONDATAW nid{};
        CopyRecord(nid, record, size);
        return NotifyIconWide(message, &nid) != FALSE;
    }
    NOTIFYICONDATAA nid{};
    CopyRecord(nid, record, size);
    return Shell_NotifyIconA(message, &nid) != FALSE;
}

bool Win32TrayPlatform::StartRetryTimer(std::uint32_t delayMs)
{
    return m_hWnd && SetTimer(m_hWnd.get(), kRetryTimer, delayMs, nullptr) != 0;
}

void Win32TrayPlatform::StopRetryTimer()
{
    KillTimer(m_hWnd.get(), kRetryTimer);
}

void Win32TrayPlatform::SetForegroundWindow(NativeHandle hWnd)
{
    ::SetForegroundWindow(win32::ToHwnd(hWnd));
}

NativeHandle Win32TrayPlatform::ForegroundWindow()
{
    return win32::ToNative(GetForegroundWindow());
}

bool Win32TrayPlatform::MenuDropsRight()
{
    return GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0;
}

std::optional<std::int32_t> Win32TrayPlatform::TrackPopupMenu(NativeHandle hWnd, const std::vector<PopupItem>& items,
                                                              std::optional<std::int32_t> defaultIndex,
                                                              const std::optional<ScreenRect>& icon,
                                                              std::uint32_t flags)
{
    win32::UniqueMenu mnuPopup(CreatePopupMenu());
    if (!mnuPopup) {
        return std::nullopt;
    }
    // Command identifiers are the indices plus one: zero means that nothing was chosen.
    for (const PopupItem& item : items) {
        const UINT_PTR id = static_cast<UINT_PTR>(item.index) + 1;
        if (item.separator) {
            win32::AppendMenuT(mnuPopup.get(), MF_SEPARATOR, id, nullptr);
        } else {
            win32::AppendMenuT(mnuPopup.get(), MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), id,
                               item.caption.c_str());
        }
    }
    if (defaultIndex) {
        SetMenuDefaultItem(mnuPopup.get(), static_cast<UINT>(*defaultIndex) + 1, FALSE);
    }
    // The choice is returned rather than posted, so that the click is reported
    // before the popup call ends.
    const UINT returning = flags | TPM_RETURNCMD;
    int chosen = 0;
    if (icon) {
        // Below the icon, or above it where the screen ends below (a taskbar at the
        // bottom), and never over it; from the edge the alignment names.
        TPMPARAMS beside{sizeof(TPMPARAMS), {icon->left, icon->top, icon->right, icon->bottom}};
        const int x = (flags & TPM_RIGHTALIGN) != 0 ? icon->right : icon->left;
        chosen = TrackPopupMenuEx(mnuPopup.get(), returning | TPM_TOPALIGN | TPM_VERTICAL, x, icon->bottom,
                                  win32::ToHwnd(hWnd), &beside);
    } else {
        POINT pointer{};
        GetCursorPos(&pointer);
        chosen = ::TrackPopupMenu(mnuPopup.get(), returning, pointer.x, pointer.y, 0, win32::ToHwnd(hWnd), nullptr);
    }
    if (chosen <= 0) {
        return std::nullopt;
    }
    return chosen - 1;
}

void Win32TrayPlatform::PostNull(NativeHandle hWnd)
{
    win32::PostMessageT(win32::ToHwnd(hWnd), WM_NULL, 0, 0);
}

std::string Win32TrayPlatform::ToAnsi(std::u16string_view text) const
{
    return win32::ToAnsi(text);
}

std::u16string Win32TrayPlatform::FromAnsi(std::string_view bytes) const
{
    return win32::FromAnsi(bytes);
}

LRESULT Win32TrayPlatform::HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Closed from outside (taskkill asks every top-level window of a process), the
    // window would take the icon's only way to its owner with it: it goes with the
    // component alone.
    if (message == WM_CLOSE) {
        return 0;
    }
    if (m_sink == nullptr) {
        return win32::DefWindowProcT(hWnd, message, wParam, lParam);
    }
    // The sink raises events whose handlers may unload the component or destroy
    // this platform: nothing here touches either after the call.
    if (message == frmSystray::CALLBACK_MESSAGE) {
        m_sink->OnIconCallback(LOWORD(lParam));
        return 0;
    }
    if (message == m_taskbarCreated && message != 0) {
        m_sink->OnShellRestart();
        return 0;
    }
    // This window lies on the main monitor, whose taskbar holds the notification
    // area: it gets that monitor's DPI changes, and every window the display's and the
    // icon sizes' changes, though it is never shown.
    if (message == win32::DPI_CHANGED || message == WM_DISPLAYCHANGE ||
        (message == WM_SETTINGCHANGE && (wParam == SPI_SETICONMETRICS || wParam == SPI_SETNONCLIENTMETRICS))) {
        m_sink->OnIconMetricsChange();
        return 0;
    }
    if (message == WM_TIMER && wParam == kRetryTimer) {
        KillTimer(hWnd, kRetryTimer); // once: the component times each try itself
        m_sink->OnRetryTimer();
        return 0;
    }
    return win32::DefWindowProcT(hWnd, message, wParam, lParam);
}

} // namespace nowplaying::tray
