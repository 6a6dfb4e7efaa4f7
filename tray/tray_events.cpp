#include "tray_events.h"

namespace nowplaying::tray {

std::optional<CallbackEvent> MapCallbackCode(std::uint32_t code)
{
    switch (code) {
    case 512: return CallbackEvent{TrayEvent::SysTrayMouseMove};       // WM_MOUSEMOVE
    case 513: return CallbackEvent{TrayEvent::SysTrayMouseDown, BUTTON_LEFT};   // WM_LBUTTONDOWN
    case 514: return CallbackEvent{TrayEvent::SysTrayMouseUp, BUTTON_LEFT};     // WM_LBUTTONUP
    case 515: return CallbackEvent{TrayEvent::SysTrayDoubleClick, BUTTON_LEFT}; // WM_LBUTTONDBLCLK
    case 516: return CallbackEvent{TrayEvent::SysTrayMouseDown, BUTTON_RIGHT};  // WM_RBUTTONDOWN
    case 517: return CallbackEvent{TrayEvent::SysTrayMouseUp, BUTTON_RIGHT};    // WM_RBUTTONUP
    case 518: return CallbackEvent{TrayEvent::SysTrayDoubleClick, BUTTON_RIGHT}; // WM_RBUTTONDBLCLK
    case 1026: return CallbackEvent{TrayEvent::BalloonShow};    // NIN_BALLOONSHOW
    case 1027: return CallbackEvent{TrayEvent::BalloonHide};    // NIN_BALLOONHIDE
    case 1028: return CallbackEvent{TrayEvent::BalloonTimeOut}; // NIN_BALLOONTIMEOUT
    case 1029: return CallbackEvent{TrayEvent::BalloonClicked}; // NIN_BALLOONUSERCLICK
    default: return std::nullopt;
    }
}

void Raise(SystrayEvents& owner, const CallbackEvent& event)
{
    switch (event.event) {
    case TrayEvent::SysTrayMouseDown: owner.SysTrayMouseDown(event.eButton); break;
    case TrayEvent::SysTrayMouseUp: owner.SysTrayMouseUp(event.eButton); break;
    case TrayEvent::SysTrayMouseMove: owner.SysTrayMouseMove(); break;
    case TrayEvent::SysTrayDoubleClick: owner.SysTrayDoubleClick(event.eButton); break;
    case TrayEvent::BalloonShow: owner.BalloonShow(); break;
    case TrayEvent::BalloonHide: owner.BalloonHide(); break;
    case TrayEvent::BalloonTimeOut: owner.BalloonTimeOut(); break;
    case TrayEvent::BalloonClicked: owner.BalloonClicked(); break;
    case TrayEvent::MenuClick: break; // carries an item, raised by the menu itself
    }
}

} // namespace nowplaying::tray
