#include "tray_wiring.h"

namespace nowplaying {

TrayWiring::TrayWiring(tray::TrayPlatform& platform, TrayCommands& commands)
    : m_platform(platform), m_commands(commands)
{
}

TrayWiring::~TrayWiring() = default;

bool TrayWiring::Load()
{
    tray::SystrayEvents& events = *this;
    m_frmSysTray = std::make_unique<tray::frmSystray>(m_platform, events);
    m_bUnloaded = false;
    // The first item loads the component, which puts the icon in the notification area.
    m_frmSysTray->AddMenuItem(u"&About", KEY_ABOUT, false);
    if (!m_frmSysTray->Loaded()) {
        m_frmSysTray.reset();
        return false;
    }
    m_frmSysTray->AddMenuItem(u"-", u"", false);
    m_frmSysTray->AddMenuItem(u"&Exit", KEY_EXIT, false);
    m_frmSysTray->ToolTip(TOOLTIP);
    return true;
}

void TrayWiring::Unload()
{
    if (!m_frmSysTray || m_bUnloaded) {
        return;
    }
    m_frmSysTray->Unload();
    m_bUnloaded = true;
    if (!m_bMenuOpen) {
        m_frmSysTray.reset();
    }
}

void TrayWiring::SysTrayMouseDown(std::int32_t eButton)
{
    // A right-click on the icon while the menu is open must not open a second one.
    if (eButton != tray::BUTTON_RIGHT || m_bMenuOpen || m_bUnloaded) {
        return;
    }
    m_bMenuOpen = true;
    m_frmSysTray->ShowMenu();
    m_bMenuOpen = false;
    if (m_bUnloaded) {
        m_frmSysTray.reset();
    }
}

void TrayWiring::MenuClick(std::int32_t, std::u16string_view sKey)
{
    if (sKey == KEY_ABOUT) {
        m_commands.ShowAbout();
    } else if (sKey == KEY_EXIT) {
        m_commands.Exit();
    }
}

} // namespace nowplaying
