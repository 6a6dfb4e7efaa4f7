#pragma once
// In-memory stand-ins for the tray component's platform and owner: every shell call
// is kept as the bytes the shell would get.

#include "tray/systray.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace nowplaying::tray::testing {

inline constexpr std::uint32_t kWin7 = 0x1DB10106;   // 6.1, NT
inline constexpr std::uint32_t kWinXp = 0x0A280105;  // 5.1, NT
inline constexpr std::uint32_t kWinNt4 = 0x05650004; // 4.0, NT
inline constexpr std::uint32_t kWinMe = 0xC0005A04;  // 4.90, 95 family
inline constexpr std::uint32_t kWin98 = 0xC0000A04;  // 4.10, 95 family
inline constexpr NativeHandle kWindow = 0x00120034;
// The first form icon loaded; each later load gives the next handle up.
inline constexpr NativeHandle kFormIcon = 0x00010045;
inline constexpr NativeHandle kFormIconStep = 0x100;
inline constexpr ScreenRect kIconRect{1200, 770, 1216, 786};

struct ShellCall {
    std::uint32_t message;
    std::vector<std::uint8_t> bytes;
    bool unicode;
    std::size_t handleSize;
    bool accepted = true;

    RecordLayout Layout() const { return MakeRecordLayout(handleSize, unicode); }
    std::uint64_t Get(RecordField field) const
    {
        const FieldSpan span = Layout().Of(field);
        std::uint64_t value = 0;
        for (std::size_t i = span.size; i-- > 0;) {
            value = (value << 8) | bytes.at(span.offset + i);
        }
        return value;
    }
    std::span<const std::uint8_t> Text(TextField field) const
    {
        const FieldSpan span = Layout().Of(field);
        return std::span<const std::uint8_t>(bytes).subspan(span.offset, span.size);
    }
};

// Characters up to U+00FF are one byte and others '?', as in a Western code page.
// With doubleByte, every character from U+0080 on takes two bytes, a lead byte from
// 0x81 and a trail byte that is never zero, as in real double-byte code pages.
class FakeCodePage : public AnsiCodePage {
public:
    bool doubleByte = false;

    std::string ToAnsi(std::u16string_view text) const override
    {
        std::string bytes;
        for (char16_t c : text) {
            if (c < (doubleByte ? 0x80 : 0x100)) {
                bytes.push_back(static_cast<char>(c));
            } else if (doubleByte) {
                bytes.push_back(static_cast<char>(0x81 + (c >> 6) % 0x7E));
                bytes.push_back(static_cast<char>(0x40 | (c & 0x3F)));
            } else {
                bytes.push_back('?');
            }
        }
        return bytes;
    }
    std::u16string FromAnsi(std::string_view bytes) const override
    {
        std::u16string text;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (doubleByte && b >= 0x81 && i + 1 < bytes.size()) {
                const auto trail = static_cast<unsigned char>(bytes[++i]);
                text.push_back(static_cast<char16_t>(((b - 0x81) << 6) | (trail & 0x3F)));
            } else {
                text.push_back(b);
            }
        }
        return text;
    }
};

class FakeTrayPlatform final : public TrayPlatform {
public:
    explicit FakeTrayPlatform(std::uint32_t packedVersion, std::size_t handleSize = 4)
        : version(packedVersion), handleSize(handleSize)
    {
    }

    std::uint32_t version;
    std::size_t handleSize;
    std::u16string fileDescription;
    FakeCodePage codePage;
    std::vector<ShellCall> calls;
    // Popup-menu steps in order: "foreground", "popup", "null".
    std::vector<std::string> steps;
    std::vector<PopupItem> shownItems;
    std::optional<std::int32_t> shownDefault;
    // What the user does while the popup is open; returns the chosen index.
    std::function<std::optional<std::int32_t>()> userInMenu = [] { return std::nullopt; };
    TrayWindowSink* sink = nullptr;
    int windowsCreated = 0;
    int windowsDestroyed = 0;
    // A busy shell: it refuses this many adds, the first ones; then it may do this
    // many more yet report them refused, as an add that timed out.
    int refuseAdds = 0;
    int timedOutAdds = 0;
    bool iconShown = false;
    bool windowFails = false;
    bool timerFails = false;
    std::optional<std::uint32_t> retryTimerMs;
    // Run elevated, the component's window gets the shell's restart only once it let
    // that message through.
    bool elevated = false;
    static constexpr std::uint32_t kShellRestart = 0xC0F3;
    bool restartLetThrough = false;
    TaskbarDpis taskbarDpi;
    // The DPI of each form icon loaded, in order.
    std::vector<std::uint32_t> iconDpis;
    // Each icon destroyed, with the number of shell calls made before.
    std::vector<std::pair<NativeHandle, std::size_t>> destroyedIcons;
    // What the shell says of where the icon is; none as before Windows 7.
    std::optional<ScreenRect> iconRect = kIconRect;
    // The icon sits in the overflow flyout, which closes, taking its place with it,
    // once another window takes the foreground.
    bool inFlyout = false;
    NativeHandle foreground = 0;
    bool menuDropsRight = false;
    // Where each menu opened, beside this rectangle or at the pointer, and its flags.
    std::vector<std::optional<ScreenRect>> menusAt;
    std::vector<std::uint32_t> menuFlags;

    std::uint32_t GetVersion() override { return version; }
    NativeHandle CreateComponentWindow(TrayWindowSink& s) override
    {
        if (windowFails) {
            return 0;
        }
        sink = &s;
        ++windowsCreated;
        return kWindow;
    }
    void DestroyComponentWindow() override
    {
        sink = nullptr;
        retryTimerMs.reset();
        restartLetThrough = false;
        ++windowsDestroyed;
    }
    std::uint32_t ShellRestartMessage() override { return kShellRestart; }
    void AllowFromLowerIntegrity(NativeHandle hWnd, std::uint32_t message) override
    {
        restartLetThrough = restartLetThrough || (hWnd == kWindow && message == kShellRestart);
    }
    TaskbarDpis TaskbarDpi() override { return taskbarDpi; }
    NativeHandle LoadFormIcon(std::uint32_t dpi) override
    {
        iconDpis.push_back(dpi);
        return FormIcon(iconDpis.size() - 1);
    }
    static NativeHandle FormIcon(std::size_t load) { return kFormIcon + load * kFormIconStep; }
    void DestroyIcon(NativeHandle hIcon) override { destroyedIcons.emplace_back(hIcon, calls.size()); }
    std::optional<ScreenRect> IconRect(NativeHandle hWnd, std::uint32_t uID) override
    {
        const bool flyoutClosed = inFlyout && foreground == kWindow;
        return hWnd == kWindow && uID == frmSystray::ICON_ID && iconShown && !flyoutClosed ? iconRect : std::nullopt;
    }
    std::u16string FileDescription() override { return fileDescription; }
    bool NotifyIcon(std::uint32_t message, const std::uint8_t* record, std::size_t size, bool unicode) override
    {
        // Like the shell, it knows one icon: a second add of it fails, a modify or a
        // delete of it only works while it is there.
        const bool add = message == NOTIFY_ADD;
        const bool accepted = add ? refuseAdds == 0 && timedOutAdds == 0 && !iconShown : iconShown;
        if (add && refuseAdds > 0) {
            --refuseAdds;
        } else if (add) {
            timedOutAdds -= timedOutAdds > 0 ? 1 : 0;
            iconShown = true;
        }
        iconShown = iconShown && message != NOTIFY_DELETE;
        calls.push_back({message, std::vector<std::uint8_t>(record, record + size), unicode, handleSize, accepted});
        return accepted;
    }
    // The shell starts again: it has lost every icon and says so.
    void RestartShell()
    {
        iconShown = false;
        if (!elevated || restartLetThrough) {
            sink->OnShellRestart();
        }
    }
    bool StartRetryTimer(std::uint32_t delayMs) override
    {
        if (!timerFails) {
            retryTimerMs = delayMs;
        }
        return !timerFails;
    }
    void StopRetryTimer() override { retryTimerMs.reset(); }
    // The pending retry falls due; returns the wait it had.
    std::uint32_t FireRetryTimer()
    {
        const std::uint32_t waited = retryTimerMs.value();
        retryTimerMs.reset();
        sink->OnRetryTimer();
        return waited;
    }
    void SetForegroundWindow(NativeHandle hWnd) override
    {
        steps.push_back(Step("foreground", hWnd));
        foreground = hWnd;
    }
    NativeHandle ForegroundWindow() override { return foreground; }
    bool MenuDropsRight() override { return menuDropsRight; }
    std::optional<std::int32_t> TrackPopupMenu(NativeHandle hWnd, const std::vector<PopupItem>& items,
                                               std::optional<std::int32_t> defaultIndex,
                                               const std::optional<ScreenRect>& icon, std::uint32_t flags) override
    {
        steps.push_back(Step("popup", hWnd));
        menusAt.push_back(icon);
        menuFlags.push_back(flags);
        shownItems = items;
        shownDefault = defaultIndex;
        return userInMenu();
    }
    void PostNull(NativeHandle hWnd) override { steps.push_back(Step("null", hWnd)); }
    std::string ToAnsi(std::u16string_view text) const override { return codePage.ToAnsi(text); }
    std::u16string FromAnsi(std::string_view bytes) const override { return codePage.FromAnsi(bytes); }

    std::vector<std::uint32_t> Messages() const
    {
        std::vector<std::uint32_t> messages;
        for (const auto& call : calls) {
            messages.push_back(call.message);
        }
        return messages;
    }

private:
    static std::string Step(const char* name, NativeHandle hWnd)
    {
        return std::string(name) + (hWnd == kWindow ? "" : "(wrong window)");
    }
};

// Records the owner's events as "number [button or index [key]]" and hands each to
// onEvent: the unit tests keep them, the tray test host logs them.
class RecordingOwner : public SystrayEvents {
public:
    std::vector<std::string> events;
    std::function<void(const std::string&)> onEvent = [](const std::string&) {};
    std::function<void(std::int32_t)> onMouseDown = [](std::int32_t) {};
    std::function<void(std::int32_t)> onMenuClick = [](std::int32_t) {};

    void SysTrayMouseDown(std::int32_t eButton) override
    {
        Record("1 " + std::to_string(eButton));
        onMouseDown(eButton);
    }
    void SysTrayMouseUp(std::int32_t eButton) override { Record("2 " + std::to_string(eButton)); }
    void SysTrayMouseMove() override { Record("3"); }
    void SysTrayDoubleClick(std::int32_t eButton) override { Record("4 " + std::to_string(eButton)); }
    void MenuClick(std::int32_t lIndex, std::u16string_view sKey) override
    {
        std::string event = "5 " + std::to_string(lIndex);
        if (!sKey.empty()) {
            event.append(" ").append(sKey.begin(), sKey.end());
        }
        Record(event);
        onMenuClick(lIndex);
    }
    void BalloonShow() override { Record("6"); }
    void BalloonHide() override { Record("7"); }
    void BalloonTimeOut() override { Record("8"); }
    void BalloonClicked() override { Record("9"); }

private:
    void Record(const std::string& event)
    {
        events.push_back(event);
        onEvent(event);
    }
};

inline std::u16string Repeat(char16_t c, std::size_t count)
{
    return std::u16string(count, c);
}

} // namespace nowplaying::tray::testing
