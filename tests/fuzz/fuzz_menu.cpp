// Runs arbitrary sequences of menu operations against the tray menu and a plain
// model of what each must do, checking after every step: indices without gaps,
// captions and keys where they belong, enabled states with their positions, the
// default index, and a popup that shows exactly the visible elements.

#include "tray/tray_menu.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace nowplaying::tray;

struct Model {
    std::vector<MenuElement> elements{MenuElement{}};
    bool started = false;
    std::int32_t defaultIndex = 0;

    bool Valid(std::int32_t i) const { return i >= 0 && i < static_cast<std::int32_t>(elements.size()); }
};

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

const std::u16string kCaptions[] = {u"&About", u"-", u"&Exit", u"", u"Ünïcödé 夜", u"-"};
const std::u16string kKeys[] = {u"about", u"", u"exit", u"k"};

void Compare(const TrayMenu& menu, const Model& model)
{
    Check(menu.UpperBound() == static_cast<std::int32_t>(model.elements.size()) - 1);
    Check(menu.MenuStarted() == model.started);
    Check(menu.DefaultMenuIndex() == model.defaultIndex);
    std::vector<PopupItem> visible;
    for (std::size_t i = 0; i < model.elements.size(); ++i) {
        const MenuElement& want = model.elements[i];
        const MenuElement& got = menu.Element(static_cast<std::int32_t>(i));
        Check(got.Caption == want.Caption && got.Tag == want.Tag && got.Visible == want.Visible &&
              got.Enabled == want.Enabled);
        if (want.Visible) {
            visible.push_back({static_cast<std::int32_t>(i), want.Caption, want.Caption == u"-", want.Enabled});
        }
    }
    Check(menu.PopupItems() == visible);
    const std::optional<std::int32_t> popupDefault = menu.PopupDefault();
    if (model.Valid(model.defaultIndex) && model.elements[static_cast<std::size_t>(model.defaultIndex)].Visible) {
        Check(popupDefault == model.defaultIndex);
    } else {
        Check(!popupDefault);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TrayMenu menu;
    Model model;
    for (std::size_t at = 0; at + 2 < size; at += 3) {
        const std::uint8_t op = data[at];
        // Indices around the array, negative ones and far-off ones included.
        const auto index = static_cast<std::int32_t>(static_cast<std::int8_t>(data[at + 1])) * (op & 0x80 ? 300 : 1);
        const std::uint8_t arg = data[at + 2];
        switch (op % 4) {
        case 0: {
            const std::u16string& caption = kCaptions[arg % 6];
            const std::u16string& key = kKeys[(arg >> 3) % 4];
            const bool bDefault = (arg & 0x80) != 0;
            if (model.started) {
                model.elements.push_back(MenuElement{});
            }
            model.started = true;
            const auto expected = static_cast<std::int32_t>(model.elements.size()) - 1;
            MenuElement& element = model.elements.back();
            element.Visible = true;
            element.Tag = key;
            element.Caption = caption;
            if (bDefault) {
                model.defaultIndex = expected;
            }
            Check(menu.AddMenuItem(caption, key, bDefault) == expected);
            break;
        }
        case 1:
            if (model.Valid(index)) {
                model.elements[static_cast<std::size_t>(index)].Enabled = (arg & 1) != 0;
            }
            menu.EnableMenuItem(index, (arg & 1) != 0);
            break;
        case 2:
            if (index == 0) {
                model.elements[0].Caption.clear();
            } else if (model.Valid(index)) {
                for (std::size_t i = static_cast<std::size_t>(index) + 1; i < model.elements.size(); ++i) {
                    model.elements[i - 1].Caption = model.elements[i].Caption;
                    model.elements[i - 1].Tag = model.elements[i].Tag;
                }
                model.elements.pop_back();
            }
            Check(menu.RemoveMenuItem(index) == 0);
            break;
        default:
            model.defaultIndex = model.Valid(index) ? index : 0;
            menu.DefaultMenuIndex(index);
            break;
        }
        Compare(menu, model);
    }
    return 0;
}
