#include "tray/tray_menu.h"

#include <gtest/gtest.h>

#include "tray/overflow_error.h"

namespace nowplaying::tray {
namespace {

// One field of every element, from index 0 to the upper bound.
std::vector<std::u16string> Column(const TrayMenu& menu, std::u16string MenuElement::*field)
{
    std::vector<std::u16string> column;
    for (std::int32_t i = 0; i <= menu.UpperBound(); ++i) {
        column.push_back(menu.Element(i).*field);
    }
    return column;
}

TrayMenu Items(std::initializer_list<std::u16string_view> captions)
{
    TrayMenu menu;
    for (std::u16string_view caption : captions) {
        std::u16string key(caption);
        key[0] = static_cast<char16_t>(key[0] - u'A' + u'a');
        menu.AddMenuItem(caption, key);
    }
    return menu;
}

TEST(TrayMenu, OwnersThreeItemsPopUpWithTheFirstInBold)
{
    TrayMenu menu;
    EXPECT_EQ(menu.AddMenuItem(u"&About", u"about"), 0);
    EXPECT_EQ(menu.AddMenuItem(u"-"), 1);
    EXPECT_EQ(menu.AddMenuItem(u"&Exit", u"exit"), 2);
    EXPECT_EQ(menu.PopupItems(),
              (std::vector<PopupItem>{{0, u"&About", false, true}, {1, u"-", true, true}, {2, u"&Exit", false, true}}));
    EXPECT_EQ(menu.PopupDefault(), 0);
    EXPECT_EQ(menu.Element(1).Tag, u"");
}

TEST(TrayMenu, BeforeTheFirstItemThereIsNothingToPopUp)
{
    TrayMenu menu;
    EXPECT_FALSE(menu.MenuStarted());
    EXPECT_EQ(menu.UpperBound(), 0);
    EXPECT_TRUE(menu.PopupItems().empty());
    EXPECT_EQ(menu.PopupDefault(), std::nullopt);
}

TEST(TrayMenu, DefaultIndex)
{
    TrayMenu menu = Items({u"A", u"B"});
    EXPECT_EQ(menu.AddMenuItem(u"C", u"c", true), 2);
    EXPECT_EQ(menu.DefaultMenuIndex(), 2);
    for (const auto& [written, expected] : {std::pair{1, 1}, {7, 0}, {-1, 0}, {3, 0}, {2, 2}}) {
        menu.DefaultMenuIndex(written);
        EXPECT_EQ(menu.DefaultMenuIndex(), expected) << "written " << written;
    }
}

TEST(TrayMenu, RemovalMovesCaptionsAndKeysButNotEnabledState)
{
    TrayMenu menu = Items({u"A", u"B", u"C", u"D"});
    menu.EnableMenuItem(1, false);
    EXPECT_EQ(menu.RemoveMenuItem(1), 0);
    EXPECT_EQ(Column(menu, &MenuElement::Caption), (std::vector<std::u16string>{u"A", u"C", u"D"}));
    EXPECT_EQ(Column(menu, &MenuElement::Tag), (std::vector<std::u16string>{u"a", u"c", u"d"}));
    EXPECT_FALSE(menu.Element(1).Enabled) << "C took over the disabled position";
    EXPECT_TRUE(menu.Element(2).Enabled);

    EXPECT_EQ(menu.RemoveMenuItem(2), 0);
    EXPECT_EQ(Column(menu, &MenuElement::Caption), (std::vector<std::u16string>{u"A", u"C"}));
}

TEST(TrayMenu, RemovingElementZeroOnlyBlanksIt)
{
    TrayMenu menu = Items({u"A", u"B"});
    menu.EnableMenuItem(0, false);
    EXPECT_EQ(menu.RemoveMenuItem(0), 0);
    EXPECT_EQ(Column(menu, &MenuElement::Caption), (std::vector<std::u16string>{u"", u"B"}));
    EXPECT_EQ(menu.Element(0).Tag, u"a");
    EXPECT_FALSE(menu.Element(0).Enabled);
    EXPECT_EQ(menu.AddMenuItem(u"C"), 2);
}

TEST(TrayMenu, IndicesOutsideTheArrayChangeNothing)
{
    TrayMenu menu = Items({u"A", u"B", u"C"});
    for (std::int32_t index : {5, 3, -1}) {
        EXPECT_EQ(menu.RemoveMenuItem(index), 0);
        menu.EnableMenuItem(index, false);
    }
    EXPECT_EQ(Column(menu, &MenuElement::Caption), (std::vector<std::u16string>{u"A", u"B", u"C"}));
    for (std::int32_t i = 0; i <= 2; ++i) {
        EXPECT_TRUE(menu.Element(i).Enabled) << "new items start enabled";
    }
}

TEST(TrayMenu, DefaultNamingARemovedElementShowsNoDefault)
{
    TrayMenu menu = Items({u"A", u"B", u"C"});
    menu.DefaultMenuIndex(2);
    menu.RemoveMenuItem(1);
    EXPECT_EQ(menu.DefaultMenuIndex(), 2) << "the index itself is not adjusted";
    EXPECT_EQ(menu.PopupDefault(), std::nullopt);
    menu.AddMenuItem(u"E");
    EXPECT_EQ(menu.PopupDefault(), 2);
}

TEST(TrayMenu, IndexStopsAtTheSigned16BitLimit)
{
    TrayMenu menu;
    for (std::int32_t i = 0; i <= TrayMenu::MAX_MENU_INDEX; ++i) {
        ASSERT_EQ(menu.AddMenuItem(u"item"), i);
    }
    EXPECT_THROW(menu.AddMenuItem(u"one too many", u"k", true), OverflowError);
    EXPECT_EQ(menu.UpperBound(), 32767);
    EXPECT_EQ(menu.DefaultMenuIndex(), 0) << "nothing was created, so nothing became the default";
    menu.RemoveMenuItem(5);
    EXPECT_EQ(menu.AddMenuItem(u"again"), 32767);
}

} // namespace
} // namespace nowplaying::tray
