#pragma once
// The tray menu's items: an indexed array without gaps whose element 0 always
// exists, the default item, and what a popup of it shows. Pure logic.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nowplaying::tray {

struct MenuElement {
    std::u16string Caption;
    std::u16string Tag; // the item's key
    bool Visible = false;
    bool Enabled = true;
};

// One line of the popup: the element's index, and a separator for the caption "-".
struct PopupItem {
    std::int32_t index = 0;
    std::u16string caption;
    bool separator = false;
    bool enabled = true;

    bool operator==(const PopupItem&) const = default;
};

class TrayMenu {
public:
    // Indices are signed 16-bit.
    static constexpr std::int32_t MAX_MENU_INDEX = 32767;

    TrayMenu();

    // The first call fills element 0, every later one appends; OverflowError past
    // MAX_MENU_INDEX, with nothing created.
    std::int32_t AddMenuItem(std::u16string_view sCaption, std::u16string_view sKey = u"", bool bDefault = false);
    void EnableMenuItem(std::int32_t lIndex, bool bState);
    // Moves captions and keys down over the removed element; enabled states stay
    // with the positions. Element 0 is only blanked. Always 0.
    std::int32_t RemoveMenuItem(std::int32_t iIndex);
    std::int32_t DefaultMenuIndex() const { return m_lDefaultMenuIndex; }
    // An index outside the array makes element 0 the default.
    void DefaultMenuIndex(std::int32_t lIndex);

    bool IsValidMenuIndex(std::int32_t i) const;
    std::int32_t UpperBound() const { return static_cast<std::int32_t>(mnuSysTray.size()) - 1; }
    const MenuElement& Element(std::int32_t i) const { return mnuSysTray.at(static_cast<std::size_t>(i)); }
    bool MenuStarted() const { return m_bMenuStarted; }

    // The visible elements in index order; empty while only the untouched element 0 exists.
    std::vector<PopupItem> PopupItems() const;
    // The default item to draw bold, when it names a visible element.
    std::optional<std::int32_t> PopupDefault() const;

private:
    std::vector<MenuElement> mnuSysTray;
    bool m_bMenuStarted = false;
    std::int32_t m_lDefaultMenuIndex = 0;
};

} // namespace nowplaying::tray
