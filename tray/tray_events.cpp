#include "tray_events.h"

#include <utility>

namespace nowplaying::tray {

std::optional<CallbackEvent> MapCallbackCode(std::uint32_t code)
{
    switch (code) {
    case CODE_MOUSE_MOVE: return CallbackEvent{TrayEvent::SysTrayMouseMove};
    case CODE_LEFT_DOWN: return CallbackEvent{TrayEvent::SysTrayMouseDown, BUTTON_LEFT};
    case CODE_LEFT_UP: return CallbackEvent{TrayEvent::SysTrayMouseUp, BUTTON_LEFT};
    case CODE_LEFT_DOUBLE_CLICK: return CallbackEvent{TrayEvent::SysTrayDoubleClick, BUTTON_LEFT};
    case CODE_RIGHT_DOWN: return CallbackEvent{TrayEvent::SysTrayMouseDown, BUTTON_RIGHT};
    case CODE_RIGHT_UP: return CallbackEvent{TrayEvent::SysTrayMouseUp, BUTTON_RIGHT};
    case CODE_RIGHT_DOUBLE_CLICK: return CallbackEvent{TrayEvent::SysTrayDoubleClick, BUTTON_RIGHT};
    case CODE_BALLOON_SHOW: return CallbackEvent{TrayEvent::BalloonShow};
    case CODE_BALLOON_HIDE: return CallbackEvent{TrayEvent::BalloonHide};
    case CODE_BALLOON_TIMEOUT: return CallbackEvent{TrayEvent::BalloonTimeOut};
    case CODE_BALLOON_CLICK: return CallbackEvent{TrayEvent::BalloonClicked};
    default: return std::nullopt;
    }
}

std::optional<CallbackEvent> CallbackDecoder::Decode(std::uint32_t code)
{
    constexpr CallbackEvent kMenuRequest{TrayEvent::SysTrayMouseDown, BUTTON_RIGHT};
    if (code == CODE_MOUSE_MOVE) {
        return MapCallbackCode(code);
    }
    const RightClick before = std::exchange(m_rightClick, RightClick::None);
    const bool afterRightButton = std::exchange(m_bAfterRightButton, code == CODE_RIGHT_DOWN || code == CODE_RIGHT_UP ||
                                                                         code == CODE_RIGHT_DOUBLE_CLICK);
    m_bFromKeyboard = false;
    if (!m_bKeyboardCodes) {
        return MapCallbackCode(code);
    }
    switch (code) {
    case CODE_RIGHT_DOWN: m_rightClick = RightClick::Pressed; break;
    case CODE_RIGHT_UP: m_rightClick = before == RightClick::Pressed ? RightClick::Released : RightClick::None; break;
    case CODE_CONTEXT_MENU:
        if (before == RightClick::Released) {
            return std::nullopt;
        }
        // A right double click ends in WM_CONTEXTMENU too.
        m_bFromKeyboard = !afterRightButton;
        return kMenuRequest;
    case CODE_KEY_SELECT: m_bFromKeyboard = true; return kMenuRequest;
    default: break;
    }
    return MapCallbackCode(code);
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
