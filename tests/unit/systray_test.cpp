#include "tray/systray.h"

#include "app/tray_wiring.h"
#include "tray_fakes.h"
#include "support/named_row.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace nowplaying::tray {
namespace {

using namespace testing;

// The component of the tests, with its fake platform and owner.
struct Tray {
    explicit Tray(std::uint32_t version, std::size_t handleSize = 4)
        : platform(version, handleSize), systray(std::make_unique<frmSystray>(platform, owner, handleSize))
    {
    }
    FakeTrayPlatform platform;
    RecordingOwner owner;
    std::unique_ptr<frmSystray> systray;

    // at(): with no call at all the case fails, where back() would read past the list.
    const ShellCall& Last() const { return platform.calls.at(platform.calls.size() - 1); }
    std::u16string LastText(TextField field) const
    {
        return ReadText(Last().Text(field), Last().unicode, platform.codePage);
    }
};

struct LoadCase : support::NamedRow {
    std::uint32_t version;
    std::size_t handleSize;
    bool unicode;
    std::uint32_t cbSize;
    std::size_t recordBytes;
    std::size_t tipChars;
    bool setVersion;
};

class LoadByVersion : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadByVersion, AddsTheIconInTheChosenLayout)
{
    const LoadCase& c = GetParam();
    Tray tray(c.version, c.handleSize);
    EXPECT_TRUE(tray.platform.calls.empty()) << "nothing happens before the first use";
    EXPECT_EQ(tray.systray->AddMenuItem(u"&About", u"about"), 0);

    const auto& calls = tray.platform.calls;
    ASSERT_EQ(tray.platform.Messages(), c.setVersion ? (std::vector<std::uint32_t>{NOTIFY_ADD, NOTIFY_SETVERSION})
                                                     : std::vector<std::uint32_t>{NOTIFY_ADD});
    const ShellCall& add = calls[0];
    EXPECT_EQ(add.unicode, c.unicode);
    ASSERT_EQ(add.bytes.size(), c.recordBytes) << "the whole record is filled, whatever cbSize announces";
    EXPECT_EQ(add.Get(RecordField::cbSize), c.cbSize);
    EXPECT_EQ(add.Get(RecordField::hWnd), kWindow);
    EXPECT_EQ(add.Get(RecordField::uID), frmSystray::ICON_ID);
    EXPECT_EQ(add.Get(RecordField::uFlags), FLAG_MESSAGE | FLAG_ICON | FLAG_TIP);
    EXPECT_EQ(add.Get(RecordField::uCallbackMessage), 512u);
    EXPECT_EQ(add.Get(RecordField::hIcon), kFormIcon);
    EXPECT_EQ(add.Get(RecordField::dwState) | add.Get(RecordField::dwStateMask), 0u);
    if (c.setVersion) {
        EXPECT_EQ(calls[1].bytes, add.bytes) << "NOTIFY_SETVERSION goes with the same record";
        EXPECT_EQ(calls[1].Get(RecordField::uTimeout), NOTIFY_VERSION_3);
    }
    EXPECT_EQ(tray.systray->NotifyIconDataSize(), static_cast<std::int32_t>(c.cbSize));
    EXPECT_EQ(tray.systray->UsesUnicode(), c.unicode);

    tray.systray->ToolTip(Repeat(u'x', 200));
    EXPECT_EQ(tray.Last().message, NOTIFY_MODIFY);
    EXPECT_EQ(tray.Last().Get(RecordField::uFlags), FLAG_TIP);
    EXPECT_EQ(tray.systray->ToolTip(), Repeat(u'x', c.tipChars));
    EXPECT_EQ(tray.LastText(TextField::szTip), Repeat(u'x', c.tipChars));
}

INSTANTIATE_TEST_SUITE_P(Tray, LoadByVersion,
                         ::testing::Values(LoadCase{{"Xp"}, kWinXp, 4, true, 936, 936, 127, true},
                                           LoadCase{{"Nt4"}, kWinNt4, 4, true, 152, 936, 63, false},
                                           LoadCase{{"Me"}, kWinMe, 4, false, 488, 488, 127, true},
                                           // The ANSI tip keeps 127 characters; this shell reads the first 64.
                                           LoadCase{{"Nineteen98"}, kWin98, 4, false, 88, 488, 127, false},
                                           LoadCase{{"Xp64"}, kWinXp, 8, true, 952, 952, 127, true},
                                           LoadCase{{"Nt4On64"}, kWinNt4, 8, true, 168, 952, 63, false},
                                           LoadCase{{"MeOn64"}, kWinMe, 8, false, 504, 504, 127, true},
                                           LoadCase{{"Nineteen98On64"}, kWin98, 8, false, 104, 504, 127, false}),
                         support::RowName);

TEST(Systray, LoadTakesTheTipFromTheFileDescription)
{
    for (std::uint32_t version : {kWinXp, kWin98}) {
        Tray described(version);
        described.platform.fileDescription = u"Tray test host";
        described.systray->AddMenuItem(u"&About");
        EXPECT_EQ(described.LastText(TextField::szTip), u"Tray test host");

        Tray plain(version);
        plain.systray->AddMenuItem(u"&About");
        const auto tip = plain.platform.calls.at(0).Text(TextField::szTip);
        if (version == kWinXp) {
            EXPECT_EQ(std::count(tip.begin(), tip.end(), 0), 256) << "the Unicode tip stays all zero";
        } else {
            EXPECT_EQ(tip[0], 0);
            EXPECT_EQ(std::count(tip.begin() + 1, tip.end(), ' '), 127) << "a zero, then spaces";
        }
    }
}

TEST(Systray, EveryTipWriteSendsAModifyAndReadsBack)
{
    for (std::uint32_t version : {kWinXp, kWinMe}) {
        Tray tray(version);
        tray.systray->ToolTip(u"Zo\u00EB sings");
        tray.systray->ToolTip(u"Zo\u00EB sings");
        EXPECT_EQ(tray.platform.Messages(),
                  (std::vector<std::uint32_t>{NOTIFY_ADD, NOTIFY_SETVERSION, NOTIFY_MODIFY, NOTIFY_MODIFY}));
        EXPECT_EQ(tray.systray->ToolTip(), u"Zo\u00EB sings");
    }
    Tray ansi(kWinMe);
    ansi.systray->ToolTip(u"\u591C song");
    EXPECT_EQ(ansi.systray->ToolTip(), u"? song") << "reads what the shell was given";
}

TEST(Systray, EmptyTextsClearTheUnicodeFields)
{
    Tray tray(kWinXp);
    tray.systray->ToolTip(u"an old tip");
    tray.systray->ToolTip(u"");
    const auto tip = tray.Last().Text(TextField::szTip);
    EXPECT_EQ(std::count(tip.begin(), tip.end(), 0), 256);
    EXPECT_EQ(tray.systray->ToolTip(), u"");

    tray.systray->ShowBalloonTip(u"first", u"a title");
    tray.systray->ShowBalloonTip(u"second");
    EXPECT_EQ(tray.LastText(TextField::szInfo), u"second");
    const auto title = tray.Last().Text(TextField::szInfoTitle);
    EXPECT_EQ(std::count(title.begin(), title.end(), 0), 128) << "the default empty title replaces the old one";
    tray.systray->ShowBalloonTip(u"");
    EXPECT_EQ(tray.LastText(TextField::szInfo), u"");
}

struct BalloonCase : support::NamedRow {
    std::uint32_t version;
    bool shown;
};

class Balloons : public ::testing::TestWithParam<BalloonCase> {};

TEST_P(Balloons, WriteTheBalloonFieldsOnlyWhereTheShellHasThem)
{
    const BalloonCase& c = GetParam();
    Tray tray(c.version);
    tray.systray->ToolTip(u"tip");
    const std::size_t before = tray.platform.calls.size();
    tray.systray->ShowBalloonTip(Repeat(u'm', 300), Repeat(u't', 100), 2, 5000);
    if (!c.shown) {
        EXPECT_EQ(tray.platform.calls.size(), before) << "no call at all";
        return;
    }
    ASSERT_EQ(tray.platform.calls.size(), before + 1);
    EXPECT_EQ(tray.Last().message, NOTIFY_MODIFY);
    EXPECT_EQ(tray.Last().Get(RecordField::uFlags), FLAG_INFO);
    EXPECT_EQ(tray.LastText(TextField::szInfo), Repeat(u'm', 255));
    EXPECT_EQ(tray.LastText(TextField::szInfoTitle), Repeat(u't', 63));
    EXPECT_EQ(tray.Last().Get(RecordField::uTimeout), 5000u);
    EXPECT_EQ(tray.Last().Get(RecordField::dwInfoFlags), 2u);
    EXPECT_EQ(tray.LastText(TextField::szTip), u"tip");

    tray.systray->ShowBalloonTip(u"only a message");
    ASSERT_EQ(tray.platform.calls.size(), before + 2);
    EXPECT_EQ(tray.LastText(TextField::szInfo), u"only a message");
    EXPECT_EQ(tray.LastText(TextField::szInfoTitle), u"");
    EXPECT_EQ(tray.Last().Get(RecordField::uTimeout), 30000u);
    EXPECT_EQ(tray.Last().Get(RecordField::dwInfoFlags), 0u);

    tray.systray->ShowBalloonTip(u"m", u"", 0, -1);
    EXPECT_EQ(tray.Last().Get(RecordField::uTimeout), 0xFFFFFFFFu) << "passed to the shell unchanged";
}

INSTANTIATE_TEST_SUITE_P(Tray, Balloons,
                         ::testing::Values(BalloonCase{{"Xp"}, kWinXp, true}, BalloonCase{{"Me"}, kWinMe, true},
                                           BalloonCase{{"Nt4"}, kWinNt4, false},
                                           BalloonCase{{"Nineteen98"}, kWin98, false}),
                         support::RowName);

TEST(Systray, UnloadDeletesTheIconOnceAndALaterUseLoadsAgain)
{
    Tray tray(kWinMe);
    tray.systray->ToolTip(u"tip");
    tray.systray->Unload();
    EXPECT_EQ(tray.Last().message, NOTIFY_DELETE);
    EXPECT_FALSE(tray.Last().unicode);
    EXPECT_EQ(tray.Last().Get(RecordField::hWnd), kWindow);
    EXPECT_EQ(tray.platform.windowsDestroyed, 1);
    tray.systray->Unload();
    ASSERT_EQ(tray.platform.calls.size(), 4u);

    tray.systray->ShowMenu();
    EXPECT_EQ(tray.platform.calls.at(4).message, NOTIFY_ADD);
    EXPECT_EQ(tray.platform.windowsCreated, 2);
    tray.systray.reset();
    EXPECT_EQ(tray.Last().message, NOTIFY_DELETE);
    EXPECT_EQ(tray.platform.windowsDestroyed, 2);
}

TEST(Systray, ShellRestartAddsTheIconAgainWithWhatItHolds)
{
    for (std::uint32_t version : {kWin7, kWin98}) {
        Tray tray(version);
        // Elevated, it hears of the restart only through the filter it opened.
        tray.platform.elevated = version == kWin7;
        tray.systray->ToolTip(u"current tip");
        tray.systray->ShowBalloonTip(u"balloon", u"", 0, 5000);
        const std::size_t before = tray.platform.calls.size();
        tray.platform.RestartShell();

        const bool balloons = version == kWin7;
        ASSERT_EQ(tray.platform.calls.size(), before + (balloons ? 2 : 1));
        const ShellCall& add = tray.platform.calls[before];
        EXPECT_EQ(add.message, NOTIFY_ADD);
        EXPECT_EQ(add.Get(RecordField::uFlags), FLAG_MESSAGE | FLAG_ICON | FLAG_TIP);
        EXPECT_EQ(add.Get(RecordField::hIcon), FakeTrayPlatform::FormIcon(1)) << "loaded again for the new taskbar";
        EXPECT_EQ(add.Get(RecordField::uID), frmSystray::ICON_ID);
        EXPECT_EQ(ReadText(add.Text(TextField::szTip), add.unicode, tray.platform.codePage), u"current tip");
        if (balloons) {
            EXPECT_EQ(tray.Last().message, NOTIFY_SETVERSION);
            EXPECT_EQ(tray.Last().Get(RecordField::uTimeout), NOTIFY_VERSION_3) << "not the balloon's time-out";
        }
    }
    Tray unloaded(kWinXp);
    unloaded.systray->ToolTip(u"tip");
    TrayWindowSink* sink = unloaded.platform.sink;
    unloaded.systray->Unload();
    sink->OnShellRestart();
    EXPECT_EQ(unloaded.Last().message, NOTIFY_DELETE);
}

// Adds, the modifies that stand in for a refused add, and version calls in order; a
// refused call ends in "-".
std::string AddSequence(const std::vector<ShellCall>& calls)
{
    std::string sequence;
    for (const ShellCall& call : calls) {
        const bool wholeModify =
            call.message == NOTIFY_MODIFY && call.Get(RecordField::uFlags) == (FLAG_MESSAGE | FLAG_ICON | FLAG_TIP);
        if (call.message == NOTIFY_ADD || call.message == NOTIFY_SETVERSION || wholeModify) {
            sequence += sequence.empty() ? "" : " ";
            sequence += call.message == NOTIFY_SETVERSION ? "version" : wholeModify ? "modify" : "add";
            sequence += call.accepted ? "" : "-";
        }
    }
    return sequence;
}

struct RefusalCase : support::NamedRow {
    std::uint32_t version;
    int refusals;
    std::size_t firedBeforeRestart;
    std::vector<std::uint32_t> waits;
    std::string shell;
    int timedOutAdds = 0;
};

class BusyShell : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(BusyShell, RefusedAddsAreTriedAgainLaterAndAtEachRestart)
{
    const RefusalCase& c = GetParam();
    Tray tray(c.version);
    tray.platform.refuseAdds = c.refusals;
    tray.platform.timedOutAdds = c.timedOutAdds;
    tray.systray->AddMenuItem(u"&About", u"about");
    tray.systray->ToolTip(u"set while refused");
    std::vector<std::uint32_t> waits;
    while (tray.platform.retryTimerMs && waits.size() < c.firedBeforeRestart) {
        waits.push_back(tray.platform.FireRetryTimer());
    }
    tray.platform.RestartShell();
    while (tray.platform.retryTimerMs) {
        waits.push_back(tray.platform.FireRetryTimer());
    }

    EXPECT_EQ(waits, c.waits);
    EXPECT_EQ(AddSequence(tray.platform.calls), c.shell);
    const auto add = std::find_if(tray.platform.calls.rbegin(), tray.platform.calls.rend(),
                                  [](const ShellCall& call) { return call.message == NOTIFY_ADD; });
    ASSERT_NE(add, tray.platform.calls.rend());
    EXPECT_EQ(ReadText(add->Text(TextField::szTip), add->unicode, tray.platform.codePage), u"set while refused");
    EXPECT_EQ(add->Get(RecordField::hIcon), FakeTrayPlatform::FormIcon(tray.platform.iconDpis.size() - 1));
}

INSTANTIATE_TEST_SUITE_P(
    Tray, BusyShell,
    ::testing::Values(RefusalCase{{"OnceRefused"}, kWinXp, 1, 1, {1000}, "add- modify- add version add version"},
                      RefusalCase{{"RefusedUntilTheRestart"},
                                  kWinXp,
                                  6,
                                  4,
                                  {1000, 2000, 4000, 8000, 1000},
                                  "add- modify- add- modify- add- modify- add- modify- add- modify- add- modify- "
                                  "add version"},
                      // A slow log-on: the last wait again until the shell takes the icon.
                      RefusalCase{{"RefusedLongerThanTheWaits"},
                                  kWinXp,
                                  7,
                                  99,
                                  {1000, 2000, 4000, 8000, 8000, 8000, 8000},
                                  "add- modify- add- modify- add- modify- add- modify- add- modify- add- modify- "
                                  "add- modify- add version add version"},
                      RefusalCase{
                          {"RestartWhileWaiting"}, kWinXp, 2, 0, {1000}, "add- modify- add- modify- add version"},
                      // The shell took the icon but the call timed out: it is there, and a
                      // second add would fail as a duplicate.
                      RefusalCase{{"AddTimedOutYetDone"}, kWinXp, 0, 99, {}, "add- modify version add version", 1},
                      RefusalCase{{"Nineteen98OnceRefused"}, kWin98, 1, 1, {1000}, "add- modify- add add"}),
    support::RowName);

TEST(Systray, CallbackCodesRaiseTheirEvents)
{
    const std::vector<std::pair<std::uint32_t, const char*>> table = {
        {512, "3"},      {513, "1 1"},  {514, "2 1"}, {515, "4 1"}, {516, "1 2"},    {517, "2 2"},     {518, "4 2"},
        {1026, "6"},     {1027, "7"},   {1028, "8"},  {1029, "9"},  {519, nullptr},  {520, nullptr},   {521, nullptr},
        {1024, nullptr}, {1025, "1 2"}, {123, "1 2"}, {0, nullptr}, {1030, nullptr}, {0xFFFF, nullptr}};
    // On a shell given version 3, which reports the keyboard on the icon.
    Tray tray(kWinXp);
    tray.systray->ToolTip(u"loaded");
    for (const auto& [code, expected] : table) {
        tray.owner.events.clear();
        tray.platform.sink->OnIconCallback(code);
        EXPECT_EQ(tray.owner.events, expected ? std::vector<std::string>{expected} : std::vector<std::string>{})
            << "code " << code;
    }
}

TEST(Systray, RightPressShowsTheMenuAndAClickReportsIndexAndKey)
{
    Tray tray(kWinXp);
    tray.systray->AddMenuItem(u"&About", u"about");
    tray.systray->AddMenuItem(u"-");
    tray.systray->AddMenuItem(u"&Exit", u"exit");
    tray.owner.onMouseDown = [&](std::int32_t button) {
        if (button == BUTTON_RIGHT) {
            tray.systray->ShowMenu();
        }
    };
    // The button's release arrives while the popup is open, before the choice.
    tray.platform.userInMenu = [&]() -> std::optional<std::int32_t> {
        tray.platform.sink->OnIconCallback(517);
        return 2;
    };
    tray.platform.sink->OnIconCallback(516);

    EXPECT_EQ(tray.platform.steps, (std::vector<std::string>{"foreground", "popup", "null"}));
    EXPECT_EQ(tray.platform.shownItems,
              (std::vector<PopupItem>{{0, u"&About", false, true}, {1, u"-", true, true}, {2, u"&Exit", false, true}}));
    EXPECT_EQ(tray.platform.shownDefault, 0);
    EXPECT_EQ(tray.owner.events, (std::vector<std::string>{"1 2", "2 2", "5 2 exit"}));
}

TEST(Systray, MenuWithoutAChoiceRaisesNothing)
{
    Tray tray(kWinXp);
    tray.systray->AddMenuItem(u"&About", u"about");
    tray.systray->AddMenuItem(u"&Keyless");
    tray.systray->ShowMenu();
    EXPECT_EQ(tray.platform.steps, (std::vector<std::string>{"foreground", "popup", "null"}));
    EXPECT_TRUE(tray.owner.events.empty());

    tray.platform.userInMenu = [] { return 1; };
    tray.systray->ShowMenu();
    EXPECT_EQ(tray.owner.events, (std::vector<std::string>{"5 1"}));
}

TEST(Systray, NoMenuBeforeTheFirstItem)
{
    Tray tray(kWinXp);
    tray.systray->ShowMenu();
    EXPECT_EQ(tray.platform.Messages(), (std::vector<std::uint32_t>{NOTIFY_ADD, NOTIFY_SETVERSION})) << "it loads";
    EXPECT_TRUE(tray.platform.steps.empty()) << "but pops up nothing";
}

TEST(Systray, RemovedDefaultIsNotPassedToThePopup)
{
    Tray tray(kWinXp);
    tray.systray->AddMenuItem(u"A", u"a");
    tray.systray->AddMenuItem(u"B", u"b");
    tray.systray->AddMenuItem(u"C", u"c", true);
    EXPECT_EQ(tray.systray->DefaultMenuIndex(), 2);
    tray.systray->RemoveMenuItem(2);
    tray.systray->EnableMenuItem(1, false);
    tray.systray->ShowMenu();
    EXPECT_EQ(tray.platform.shownDefault, std::nullopt);
    ASSERT_EQ(tray.platform.shownItems.size(), 2u);
    EXPECT_FALSE(tray.platform.shownItems[1].enabled);
}

TEST(Systray, HandlerMayUnloadTheComponentFromMenuClick)
{
    Tray tray(kWinXp);
    tray.systray->AddMenuItem(u"&Exit", u"exit");
    tray.platform.userInMenu = [] { return 0; };
    tray.owner.onMenuClick = [&](std::int32_t) { tray.systray.reset(); };
    tray.systray->ShowMenu();
    EXPECT_EQ(tray.systray, nullptr);
    EXPECT_EQ(tray.Last().message, NOTIFY_DELETE);
    EXPECT_EQ(tray.owner.events, (std::vector<std::string>{"5 0 exit"}));
}

// The program's wiring of the component, with the component on its fake platform.
struct WiredTray : TrayCommands {
    explicit WiredTray(std::uint32_t version) : platform(version, sizeof(void*)) {}
    void ShowAbout() override { commands.push_back("about"); }
    void Exit() override { commands.push_back("exit"); }

    FakeTrayPlatform platform;
    std::vector<std::string> commands;
    TrayWiring wiring{platform, *this};
};

// What the system does around the menu.
enum MenuWorld : unsigned {
    NO_RECT = 1,    // the shell cannot say where the icon is: Shell_NotifyIconGetRect is missing
    IN_FLYOUT = 2,  // the overflow flyout, which closes when the menu takes the foreground
    DROP_RIGHT = 4, // SM_MENUDROPALIGNMENT
    ELSEWHERE = 8,  // Alt+Tab or a click elsewhere closes the menu
};

struct MenuCase : support::NamedRow {
    std::uint32_t version;
    std::vector<std::uint32_t> codes;
    // Delivered while the first menu is open.
    std::vector<std::uint32_t> inMenu;
    // The flags of each menu opened.
    std::vector<std::uint32_t> flags;
    // Of those, the keyboard's: opened beside the icon, and dismissed with the focus
    // handed back to the notification area.
    int besideTheIcon = 0;
    int focusBack = 0;
    std::optional<std::int32_t> choice = std::nullopt;
    unsigned world = 0;
};

class MenuRequests : public ::testing::TestWithParam<MenuCase> {};

TEST_P(MenuRequests, OpenOneMenuEach)
{
    const MenuCase& c = GetParam();
    WiredTray tray(c.version);
    ASSERT_TRUE(tray.wiring.Load());
    if ((c.world & NO_RECT) != 0) {
        tray.platform.iconRect.reset();
    }
    tray.platform.inFlyout = (c.world & IN_FLYOUT) != 0;
    tray.platform.menuDropsRight = (c.world & DROP_RIGHT) != 0;
    int menus = 0;
    tray.platform.userInMenu = [&]() -> std::optional<std::int32_t> {
        if (++menus == 1) {
            for (std::uint32_t code : c.inMenu) {
                tray.platform.sink->OnIconCallback(code);
            }
        }
        if ((c.world & ELSEWHERE) != 0) {
            tray.platform.foreground = kWindow + 1;
        }
        return c.choice;
    };
    for (std::uint32_t code : c.codes) {
        tray.platform.sink->OnIconCallback(code);
    }
    EXPECT_EQ(tray.platform.menuFlags, c.flags);
    const auto& at = tray.platform.menusAt;
    EXPECT_EQ(std::count(at.begin(), at.end(), kIconRect), c.besideTheIcon);
    const auto messages = tray.platform.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), NOTIFY_SETFOCUS), c.focusBack);
}

// The keyboard's menu takes either button; the mouse's opens with no flags.
constexpr std::uint32_t kKeys = MENU_RIGHT_BUTTON;

// Codes as the shells send them: 516/517 right press and release, 518 right double
// click, 123 WM_CONTEXTMENU, 1025 NIN_KEYSELECT, 512 pointer moves, 513-515 left.
INSTANTIATE_TEST_SUITE_P(
    Tray, MenuRequests,
    ::testing::Values(
        MenuCase{{"LeftClicksThenARightClick"}, kWinXp, {513, 514, 515, 514, 516, 517, 123}, {}, {0}},
        MenuCase{{"RightClickEndingInTheMenu"}, kWinXp, {516}, {517, 123}, {0}},
        MenuCase{{"TwoQuickRightClicks"}, kWinXp, {516, 517, 123, 518, 517, 123}, {}, {0, 0}},
        // Enter sends two NIN_KEYSELECT: the second comes while its menu is open.
        MenuCase{{"EnterThenSpaceThenMenuKey"}, kWin7, {1025, 1025, 123}, {1025}, {kKeys, kKeys, kKeys}, 3, 3},
        MenuCase{{"KeyboardChoosesAbout"}, kWin7, {1025}, {}, {kKeys}, 1, 0, 0},
        MenuCase{{"KeyboardFromTheOverflowFlyout"}, kWin7, {123}, {}, {kKeys}, 1, 1, {}, IN_FLYOUT},
        MenuCase{{"KeyboardMenuLeftForAnotherWindow"}, kWin7, {1025}, {}, {kKeys}, 1, 0, {}, ELSEWHERE},
        // Before Windows 7 the menu opens at the pointer, aligned as the system's drop.
        MenuCase{
            {"XpMenuKeyMenusDropRight"}, kWinXp, {123}, {}, {kKeys | MENU_RIGHT_ALIGN}, 0, 1, {}, NO_RECT | DROP_RIGHT},
        MenuCase{{"MenuKeyAfterAPressWithoutRelease"}, kWinXp, {516, 512, 123}, {}, {0, 0}},
        MenuCase{{"MeMenuKey"}, kWinMe, {123}, {}, {kKeys}, 1, 1},
        MenuCase{{"Nineteen98"}, kWin98, {123, 1025, 518, 517, 123, 516, 517}, {}, {0}}),
    support::RowName);

// The notification area may sit on a monitor of another DPI than the About window's:
// the program's icon is loaded for the taskbar's, at the start, at each change of DPI
// or icon size and at each restart of the shell (Explorer's after a change of DPI).
// No other icon ever reaches the shell, and each goes once the shell has the next.
TEST(TrayWiring, IconIsTheProgramsAtTheTaskbarsDpi)
{
    WiredTray tray(kWin7);
    tray.platform.taskbarDpi = {144, 0, 96};
    ASSERT_TRUE(tray.wiring.Load());
    tray.platform.taskbarDpi = {192, 0, 96};
    tray.platform.sink->OnIconMetricsChange();
    tray.platform.taskbarDpi = {0, 120, 96}; // 8.1: only the monitor's
    tray.platform.RestartShell();
    tray.platform.taskbarDpi = {0, 0, 120}; // before: only the system's
    tray.platform.sink->OnIconMetricsChange();
    tray.wiring.Unload();

    EXPECT_EQ(tray.platform.iconDpis, (std::vector<std::uint32_t>{144, 192, 120, 120}));
    std::vector<std::uint64_t> shown;
    for (const ShellCall& call : tray.platform.calls) {
        if (call.message != NOTIFY_SETVERSION && call.message != NOTIFY_DELETE &&
            (call.Get(RecordField::uFlags) & FLAG_ICON) != 0) {
            shown.push_back(call.Get(RecordField::hIcon));
        }
    }
    const auto icon = [](std::size_t load) { return FakeTrayPlatform::FormIcon(load); };
    EXPECT_EQ(shown, (std::vector<std::uint64_t>{icon(0), icon(1), icon(2), icon(3)})) << "add, modify, add, modify";
    // Calls: the add, its version and the tooltip; then the modify, the restart's add and
    // version, the modify, the delete. Each icon goes after the call that replaced it.
    EXPECT_EQ(tray.platform.destroyedIcons, (std::vector<std::pair<NativeHandle, std::size_t>>{
                                                {icon(0), 4}, {icon(1), 6}, {icon(2), 7}, {icon(3), 8}}));
}

// Log-off with the menu open: the session's end arrives inside the menu's loop.
TEST(TrayWiring, EndOfSessionInTheMenuDeletesTheIconAtOnceAndFreesNothingUnderTheMenu)
{
    WiredTray tray(kWinXp);
    ASSERT_TRUE(tray.wiring.Load());
    std::vector<std::uint32_t> atTheEnd;
    tray.platform.userInMenu = [&]() -> std::optional<std::int32_t> {
        tray.wiring.Unload();
        atTheEnd = tray.platform.Messages();
        return 2;
    };
    tray.platform.sink->OnIconCallback(516);
    ASSERT_FALSE(atTheEnd.empty());
    EXPECT_EQ(atTheEnd.back(), NOTIFY_DELETE) << "the icon stayed until the menu closed";
    EXPECT_EQ(tray.platform.windowsDestroyed, 1);
    EXPECT_TRUE(tray.commands.empty()) << "a choice in the closing menu ran";
    tray.wiring.Unload();
    EXPECT_EQ(tray.platform.Messages(), atTheEnd);
}

// The component, and so the program's wiring, without a window or a timer to try again.
TEST(TrayWiring, WithoutAWindowOrATimerToTryAgainNoIconIsLeftBehind)
{
    WiredTray tray(kWinXp);
    tray.platform.windowFails = true;
    EXPECT_FALSE(tray.wiring.Load());
    EXPECT_TRUE(tray.platform.calls.empty());
    EXPECT_FALSE(tray.platform.retryTimerMs);

    tray.platform.windowFails = false;
    tray.platform.timerFails = true;
    tray.platform.refuseAdds = 1;
    EXPECT_FALSE(tray.wiring.Load()) << "refused, with no way to try again";
    EXPECT_EQ(tray.platform.windowsDestroyed, 1);

    tray.platform.timerFails = false;
    EXPECT_TRUE(tray.wiring.Load());
    EXPECT_EQ(AddSequence(tray.platform.calls), "add- modify- add version");
}

} // namespace
} // namespace nowplaying::tray
