#pragma once
// The program's notification icon: the tray component with its menu, tooltip and
// icon, and the two commands its menu gives. Pure logic: the component reaches the
// platform through its TrayPlatform.

#include "tray/systray.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace nowplaying {

// What the menu's items do.
class TrayCommands {
public:
    virtual void ShowAbout() = 0;
    virtual void Exit() = 0;

protected:
    ~TrayCommands() = default;
};

class TrayWiring final : private tray::SystrayEvents {
public:
    static constexpr std::u16string_view TOOLTIP = u"MSN 7 Plugin: What im listening to in Winamp.";

    // The platform and the commands must outlive the wiring.
    TrayWiring(tray::TrayPlatform& platform, TrayCommands& commands);
    ~TrayWiring() override;
    TrayWiring(const TrayWiring&) = delete;
    TrayWiring& operator=(const TrayWiring&) = delete;

    // Creates the component, whose first item adds the icon (the program's own, which
    // the component keeps at the notification area's size), and fills its menu and
    // tooltip; false, with no icon added, when the component could not load.
    bool Load();
    // Removes the icon at once, so that a session that ends right after still loses
    // it. The component itself goes only once no menu of it is open: it may be called
    // from inside that menu.
    void Unload();

private:
    // The tray menu's keys.
    static constexpr std::u16string_view KEY_ABOUT = u"about";
    static constexpr std::u16string_view KEY_EXIT = u"exit";

    void SysTrayMouseDown(std::int32_t eButton) override;
    void MenuClick(std::int32_t lIndex, std::u16string_view sKey) override;

    tray::TrayPlatform& m_platform;
    TrayCommands& m_commands;
    std::unique_ptr<tray::frmSystray> m_frmSysTray;
    bool m_bMenuOpen = false;
    bool m_bUnloaded = false;
};

} // namespace nowplaying
