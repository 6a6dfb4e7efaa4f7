#pragma once
// The tray component's nine events, the owner interface that receives them, and
// the mapping from the shell's callback codes to events. Pure logic.

#include <cstdint>
#include <optional>
#include <string_view>

namespace nowplaying::tray {

// Numbered as in the component's event interface.
enum class TrayEvent : int {
    SysTrayMouseDown = 1,
    SysTrayMouseUp = 2,
    SysTrayMouseMove = 3,
    SysTrayDoubleClick = 4,
    MenuClick = 5,
    BalloonShow = 6,
    BalloonHide = 7,
    BalloonTimeOut = 8,
    BalloonClicked = 9,
};

inline constexpr std::int32_t BUTTON_LEFT = 1;
inline constexpr std::int32_t BUTTON_RIGHT = 2;

// The owner's handlers, called synchronously; the component does nothing after
// raising an event, so a handler may call back into it or unload it.
class SystrayEvents {
public:
    virtual ~SystrayEvents() = default;
    virtual void SysTrayMouseDown(std::int32_t /*eButton*/) {}
    virtual void SysTrayMouseUp(std::int32_t /*eButton*/) {}
    virtual void SysTrayMouseMove() {}
    virtual void SysTrayDoubleClick(std::int32_t /*eButton*/) {}
    virtual void MenuClick(std::int32_t /*lIndex*/, std::u16string_view /*sKey*/) {}
    virtual void BalloonShow() {}
    virtual void BalloonHide() {}
    virtual void BalloonTimeOut() {}
    virtual void BalloonClicked() {}
};

struct CallbackEvent {
    TrayEvent event;
    std::int32_t eButton = 0; // 0 for the events without a button

    bool operator==(const CallbackEvent&) const = default;
};

// The shell's callback codes, numbered as the platform's headers number them: the
// mouse messages and the balloon notifications.
inline constexpr std::uint32_t CODE_MOUSE_MOVE = 512;
inline constexpr std::uint32_t CODE_LEFT_DOWN = 513;
inline constexpr std::uint32_t CODE_LEFT_UP = 514;
inline constexpr std::uint32_t CODE_LEFT_DOUBLE_CLICK = 515;
inline constexpr std::uint32_t CODE_RIGHT_DOWN = 516;
inline constexpr std::uint32_t CODE_RIGHT_UP = 517;
inline constexpr std::uint32_t CODE_RIGHT_DOUBLE_CLICK = 518;
inline constexpr std::uint32_t CODE_BALLOON_SHOW = 1026;
inline constexpr std::uint32_t CODE_BALLOON_HIDE = 1027;
inline constexpr std::uint32_t CODE_BALLOON_TIMEOUT = 1028;
inline constexpr std::uint32_t CODE_BALLOON_CLICK = 1029;
// Sent only to icons given version 3: the menu key, Shift+F10 and the end of a right
// click (WM_CONTEXTMENU), Enter and Space (NIN_KEYSELECT, twice for Enter).
inline constexpr std::uint32_t CODE_CONTEXT_MENU = 123;
inline constexpr std::uint32_t CODE_KEY_SELECT = 1025;

// The event a callback code raises; none for codes outside the table (middle
// button, NIN_SELECT, NIN_KEYSELECT, WM_CONTEXTMENU, ...).
std::optional<CallbackEvent> MapCallbackCode(std::uint32_t code);

// The callback codes of one icon, in the order they arrive, as events. Shells that
// report the keyboard on the icon ask for its menu with WM_CONTEXTMENU or
// NIN_KEYSELECT: those raise the right press that the owner answers with the menu, so
// that the keyboard reaches it too. The same shells end every right click with a
// WM_CONTEXTMENU, which raises nothing when the click's press was raised already.
class CallbackDecoder {
public:
    explicit CallbackDecoder(bool keyboardCodes = false) : m_bKeyboardCodes(keyboardCodes) {}

    std::optional<CallbackEvent> Decode(std::uint32_t code);
    // The event Decode returned last asks for the menu from the keyboard, not the mouse.
    bool FromKeyboard() const { return m_bFromKeyboard; }

private:
    enum class RightClick { None, Pressed, Released };

    bool m_bKeyboardCodes;
    bool m_bFromKeyboard = false;
    // The last code other than a pointer move was one of the right button's.
    bool m_bAfterRightButton = false;
    // How far a right click whose press raised its event has got.
    RightClick m_rightClick = RightClick::None;
};

// Calls the owner's handler for a mapped callback event.
void Raise(SystrayEvents& owner, const CallbackEvent& event);

} // namespace nowplaying::tray
