#include "tray_menu.h"

#include "tray/overflow_error.h"

namespace nowplaying::tray {

TrayMenu::TrayMenu() : mnuSysTray(1) {}

std::int32_t TrayMenu::AddMenuItem(std::u16string_view sCaption, std::u16string_view sKey, bool bDefault)
{
    std::int32_t index = 0;
    if (!m_bMenuStarted) {
        m_bMenuStarted = true;
    } else {
        if (UpperBound() >= MAX_MENU_INDEX) {
            throw OverflowError("the tray menu holds no more than 32768 items");
        }
        index = UpperBound() + 1;
        mnuSysTray.emplace_back();
    }
    MenuElement& element = mnuSysTray[static_cast<std::size_t>(index)];
    element.Visible = true;
    element.Tag.assign(sKey);
    element.Caption.assign(sCaption);
    if (bDefault) {
        m_lDefaultMenuIndex = index;
    }
    return index;
}

void TrayMenu::EnableMenuItem(std::int32_t lIndex, bool bState)
{
    if (IsValidMenuIndex(lIndex)) {
        mnuSysTray[static_cast<std::size_t>(lIndex)].Enabled = bState;
    }
}

std::int32_t TrayMenu::RemoveMenuItem(std::int32_t iIndex)
{
    if (!IsValidMenuIndex(iIndex)) {
        return 0;
    }
    if (iIndex == 0) {
        mnuSysTray[0].Caption.clear();
        return 0;
    }
    for (std::size_t i = static_cast<std::size_t>(iIndex) + 1; i < mnuSysTray.size(); ++i) {
        mnuSysTray[i - 1].Caption = std::move(mnuSysTray[i].Caption);
        mnuSysTray[i - 1].Tag = std::move(mnuSysTray[i].Tag);
    }
    mnuSysTray.pop_back();
    return 0;
}

void TrayMenu::DefaultMenuIndex(std::int32_t lIndex)
{
    m_lDefaultMenuIndex = IsValidMenuIndex(lIndex) ? lIndex : 0;
}

bool TrayMenu::IsValidMenuIndex(std::int32_t i) const
{
    return i >= 0 && i <= UpperBound();
}

std::vector<PopupItem> TrayMenu::PopupItems() const
{
    std::vector<PopupItem> items;
    for (std::size_t i = 0; i < mnuSysTray.size(); ++i) {
        const MenuElement& element = mnuSysTray[i];
        if (element.Visible) {
            items.push_back({static_cast<std::int32_t>(i), element.Caption, element.Caption == u"-", element.Enabled});
        }
    }
    return items;
}

std::optional<std::int32_t> TrayMenu::PopupDefault() const
{
    // A removed element may still be named here: then there is no default item.
    if (!IsValidMenuIndex(m_lDefaultMenuIndex) || !Element(m_lDefaultMenuIndex).Visible) {
        return std::nullopt;
    }
    return m_lDefaultMenuIndex;
}

} // namespace nowplaying::tray
