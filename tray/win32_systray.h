#pragma once
// The tray component's platform on Windows: its hidden window, the shell's
// notification-icon calls, the popup menu and the ANSI code page.

#include "tray/systray.h"
#include "win32/unique_handle.h"
#include "win32/window.h"

#include <windows.h>

namespace nowplaying::tray {

class Win32TrayPlatform final : public TrayPlatform, private win32::WindowBase {
public:
    // iconResource: the program's icon, which the component shows; the system's
    // application icon where the program has none.
    Win32TrayPlatform(HINSTANCE instance, int iconResource);
    ~Win32TrayPlatform() override;
    Win32TrayPlatform(const Win32TrayPlatform&) = delete;
    Win32TrayPlatform& operator=(const Win32TrayPlatform&) = delete;

    std::uint32_t GetVersion() override;
    NativeHandle CreateComponentWindow(TrayWindowSink& sink) override;
    void DestroyComponentWindow() override;
    std::uint32_t ShellRestartMessage() override;
    void AllowFromLowerIntegrity(NativeHandle hWnd, std::uint32_t message) override;
    TaskbarDpis TaskbarDpi() override;
    NativeHandle LoadFormIcon(std::uint32_t dpi) override;
    void DestroyIcon(NativeHandle hIcon) override;
    std::optional<ScreenRect> IconRect(NativeHandle hWnd, std::uint32_t uID) override;
    std::u16string FileDescription() override;
    bool NotifyIcon(std::uint32_t message, const std::uint8_t* record, std::size_t size, bool unicode) override;
    bool StartRetryTimer(std::uint32_t delayMs) override;
    void StopRetryTimer() override;
    void SetForegroundWindow(NativeHandle hWnd) override;
    NativeHandle ForegroundWindow() override;
    bool MenuDropsRight() override;
    std::optional<std::int32_t> TrackPopupMenu(NativeHandle hWnd, const std::vector<PopupItem>& items,
                                               std::optional<std::int32_t> defaultIndex,
                                               const std::optional<ScreenRect>& icon, std::uint32_t flags) override;
    void PostNull(NativeHandle hWnd) override;
    std::string ToAnsi(std::u16string_view text) const override;
    std::u16string FromAnsi(std::string_view bytes) const override;

private:
    LRESULT HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    HINSTANCE m_hInstance;
    int m_iconResource;
    UINT m_taskbarCreated;
    TrayWindowSink* m_sink = nullptr;
    win32::WindowClass m_class;
    win32::UniqueWindow m_hWnd;
};

} // namespace nowplaying::tray
