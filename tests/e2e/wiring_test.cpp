// The whole program as a user meets it: its icon in Wine's notification area, the
// menu opened with a real right-click, items chosen with the keyboard, the About
// window, and the ways the program starts and ends.

#include "app/about_layout.h"
#include "tray/shell_version.h"
#include "support/peers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using namespace support;

using nowplaying::ID_CMD_OK;
using nowplaying::ID_LBL_SONG;
constexpr wchar_t kTooltip[] = L"MSN 7 Plugin: What im listening to in Winamp.";

class Wired : public ::testing::Test {
protected:
    Wired() = default;
    explicit Wired(WORD showCommand) : program(NowPlaying::Start::Alone, showCommand) {}

    // Till the icon is there and the first song has arrived, with the About window
    // watched all the while.
    void SetUp() override
    {
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(WatchingTheWindowUntil([] { return VisibleTrayIcons().size() == 1; }))
            << "the icon did not appear in the notification area";
        ASSERT_TRUE(WatchingTheWindowUntil([&] { return !messenger.Messages().empty(); }));
    }

    bool WatchingTheWindowUntil(const std::function<bool()>& condition)
    {
        return WaitUntil(
            [&] {
                aboutWasVisible = aboutWasVisible || IsWindowVisible(about);
                return condition();
            },
            kReact);
    }

    void TearDown() override
    {
        if (HWND menu = VisibleMenuWindow(program.process().Id())) {
            PressKeyInMenu(menu, "Escape");
        }
    }

    // A real right-click on the icon; the open menu's window. The About window, where
    // the window manager places it, covers Wine's small tray window: it is hidden first
    // unless it was moved aside.
    HWND OpenMenu()
    {
        const auto icons = VisibleTrayIcons();
        EXPECT_EQ(icons.size(), 1u);
        RECT icon{}, window{}, overlap{};
        if (!icons.empty() && GetWindowRect(icons.front(), &icon) && GetWindowRect(about, &window) &&
            IsWindowVisible(about) && IntersectRect(&overlap, &icon, &window)) {
            ClickOk();
        }
        return icons.empty() ? nullptr : OpenTrayMenu(icons.front(), program.process().Id());
    }

    // Opens the menu and walks it with the keyboard: "Down" n times, then Return.
    void Choose(int downs)
    {
        HWND menu = OpenMenu();
        ASSERT_NE(menu, nullptr);
        for (int i = 0; i < downs; ++i) {
            PressKeyInMenu(menu, "Down");
        }
        PressKeyInMenu(menu, "Return");
    }

    void ClickOk()
    {
        ClickAt(GetDlgItem(about, ID_CMD_OK), 1);
        EXPECT_TRUE(WaitForVisible(about, false, kReact)) << "Ok did not hide the window";
        EXPECT_TRUE(WaitForMapped(about, false, kReact)) << "the hidden window still covers the display";
    }

    StandInPlayer player{L"1. Artist - Title - Winamp"};
    StandInMessenger messenger;
    NowPlaying program;
    HWND about = program.Window();
    bool aboutWasVisible = false;
};

// As from a shortcut set to run minimized, in the Startup folder say.
class WiredMinimized : public Wired {
protected:
    WiredMinimized() : Wired(SW_SHOWMINNOACTIVE) {}
};

TEST_F(Wired, StartsWithIconTooltipAndTheWindowFollowingThePlayer)
{
    EXPECT_TRUE(WaitForTrayTooltip(kTooltip, kReact)) << "the icon's tooltip is wrong";
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_TRUE(WaitForText(GetDlgItem(about, ID_LBL_SONG), L"Artist - Title", kReact));
    player.SetTitle(L"2. Next - Song - Winamp");
    EXPECT_TRUE(WaitForText(GetDlgItem(about, ID_LBL_SONG), L"Next - Song", kReact));
}

TEST_F(WiredMinimized, ShowsOnlyTheIconYetSendsAndASecondStartShowsTheWindow)
{
    player.SetTitle(L"2. Minimized - Start - Winamp");
    ASSERT_TRUE(WatchingTheWindowUntil([&] { return messenger.Messages().size() >= 2; }));
    EXPECT_FALSE(aboutWasVisible) << "the About window showed at a minimized start";
    EXPECT_EQ(VisibleTrayIcons().size(), 1u);

    NowPlaying second(NowPlaying::Start::Again, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(second.process().WaitForExit(kReact));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(about) != FALSE; }, kReact))
        << "the second start showed nothing";
    EXPECT_FALSE(IsIconic(about)) << "the window came up minimized";
}

// A start that cannot work says why in a message box, and once it is dismissed the
// program ends with code 1.
void ExpectStartFailureSaying(const Process& program, const std::wstring& words)
{
    const HWND box = FindProcessWindow(program, L"#32770", kAppear);
    ASSERT_TRUE(WaitForVisible(box, true, kReact)) << "no message box";
    const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF)); // the box's text control
    EXPECT_NE(text.find(words), std::wstring::npos) << text;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program.WaitForExit(kReact)) << "the program went on";
    EXPECT_EQ(program.ExitCode(), 1u);
}

// The program with every call of one imported function failing, through the launcher
// of this run's family.
Process StartFailing(const wchar_t* function, const std::wstring& countsPath = L"")
{
    const Launch launch = ProgramLaunch() != Launch::Family95 ? Launch::FamilyNt : Launch::Family95;
    return Process(L"nowplaying.exe", L"", launch, countsPath, std::nullopt, function);
}

// Without its timer the program would sit in the notification area and never poll.
// The 95 family has a system-wide limit on timers; here the launcher makes SetTimer fail.
TEST(WiredStart, WithoutItsTimerSaysSoAndEndsWithCode1BeforeItsIcon)
{
    const bool nt = ProgramLaunch() != Launch::Family95;
    const std::wstring countsPath = NewTempDir() + L"\\counts.txt";
    const Process program = StartFailing(L"SetTimer", countsPath);
    ExpectStartFailureSaying(program, L"could not start its timer");
    auto counts = ReadCounts(countsPath);
    EXPECT_EQ(counts["USER32.dll!SetTimer"], std::make_pair(1ul, std::string("fails")));
    // On NT the icon is added through the wide function, looked up at the first add; on
    // the 95 family through the ANSI one, which the launcher does not see.
    if (nt) {
        EXPECT_EQ(counts.count("GetProcAddress(Shell_NotifyIconW)"), 0u) << "the icon was added";
    }
}

// A running program that never shows a window (hung, or started with other rights)
// holds the mutex; here the test holds it.
TEST(WiredStart, SecondStartThatGetsNoAnswerSaysSoAndEndsWithCode1)
{
    const nowplaying::win32::UniqueKernelHandle running(CreateMutexW(nullptr, FALSE, L"nowplaying.running"));
    ASSERT_TRUE(running);
    NowPlaying second(NowPlaying::Start::Again);
    ExpectStartFailureSaying(second.process(), L"does not answer");
}

// The first Down selects "About"; the second skips the separator to "Exit". Were the
// separator an item, the second Return would choose it and do nothing.
TEST_F(Wired, MenuHoldsAboutThenASeparatorThenExit)
{
    Choose(1);
    EXPECT_TRUE(WaitForVisible(about, true, kReact)) << "the first item is not About";
    Choose(2);
    EXPECT_TRUE(program.process().WaitForExit(kReact)) << "the item after the separator is not Exit";
}

TEST_F(Wired, LeftClickAndDoubleClickOpenNothing)
{
    ClickOk();
    ClickAt(VisibleTrayIcons().front(), 1);
    Settle();
    EXPECT_EQ(VisibleMenuWindow(program.process().Id()), nullptr);
    Xdotool("click --repeat 2 --delay 80 1");
    Settle();
    EXPECT_EQ(VisibleMenuWindow(program.process().Id()), nullptr);
    EXPECT_FALSE(IsWindowVisible(about));
    EXPECT_TRUE(program.process().Running());
}

TEST_F(Wired, AboutShowsTheLatestSongAndBringsTheShownWindowToTheFrontInPlace)
{
    ClickOk();
    player.SetTitle(L"3. While - Hidden - Winamp");
    ASSERT_TRUE(messenger.WaitForMessages(2, kReact));
    Choose(1);
    ASSERT_TRUE(WaitForVisible(about, true, kReact));
    EXPECT_EQ(TextOf(GetDlgItem(about, ID_LBL_SONG)), L"While - Hidden");

    // Moved aside, so that the shown window leaves the tray to the pointer; then the
    // player, moved over it, is activated as a user would.
    SetWindowPos(about, nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(player.Window(), nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Xdotool("windowactivate " + std::to_string(XWindowOf(player.Window())));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == player.Window(); }, kReact));
    RECT before{};
    GetWindowRect(about, &before);
    Choose(1);
    const HWND cmdOk = GetDlgItem(about, ID_CMD_OK);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about && FocusOf(about) == cmdOk; }, kReact))
        << "the shown window did not come to the front with the focus on Ok";
    RECT after{};
    GetWindowRect(about, &after);
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(FindProcessWindow(program.process(), L"nowplaying.frmMain", 0ms), about);
    EXPECT_TRUE(program.process().Running());
}

TEST_F(Wired, ExitRemovesTheIconEndsTheProcessAndSendsNothingMore)
{
    const std::size_t sent = messenger.Messages().size();
    HWND menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    PressKeyInMenu(menu, "Down");
    PressKeyInMenu(menu, "Down");
    const auto chosen = std::chrono::steady_clock::now();
    PressKeyInMenu(menu, "Return");
    ASSERT_TRUE(program.process().WaitForExit(kReact));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - chosen);
    // Printed, not asserted: on a loaded machine the key's delivery alone can take a second.
    std::printf("Exit chosen to process end: %lld ms\n", static_cast<long long>(ms.count()));
    EXPECT_EQ(program.process().ExitCode(), 0u);
    EXPECT_TRUE(WaitForIconCount(0, kReact)) << "the icon stayed in the notification area";
    // The messenger logs a message before its send returns: every send made on the way out is there now.
    EXPECT_EQ(messenger.Messages().size(), sent) << "a song was sent on the way out";
}

// What an uninstaller or `taskkill` without /F sends.
TEST_F(Wired, CloseFromAnotherProgramEndsTheProcessWithTheIconRemoved)
{
    ASSERT_TRUE(PostMessageW(about, WM_CLOSE, 0, 0));
    ASSERT_TRUE(program.process().WaitForExit(kReact)) << "closing the About window did not end the program";
    EXPECT_EQ(program.process().ExitCode(), 0u);
    EXPECT_TRUE(WaitForIconCount(0, kReact));
}

// A shortcut and the Startup folder, say: the second start shows the first one's
// window and ends, leaving one icon and one message per song.
TEST_F(Wired, SecondStartShowsTheRunningWindowAndEnds)
{
    ClickOk();
    NowPlaying second(NowPlaying::Start::Again);
    ASSERT_TRUE(second.process().WaitForExit(kReact)) << "the second start went on running";
    EXPECT_EQ(second.process().ExitCode(), 0u);
    EXPECT_TRUE(WaitForVisible(about, true, kReact)) << "the About window stayed hidden";
    EXPECT_EQ(VisibleTrayIcons().size(), 1u);

    const std::size_t sent = messenger.Messages().size();
    player.SetTitle(L"6. Sent - Once - Winamp");
    ASSERT_TRUE(messenger.WaitForMessages(sent + 1, kReact));
    Settle();
    EXPECT_EQ(messenger.Messages().size(), sent + 1);

    // A request the running one cannot take (hung, or run as administrator where the
    // system drops what lower programs send) showed nothing: the user hears of it.
    ExpectStartFailureSaying(StartFailing(L"SendMessageTimeoutA"), L"does not answer");
}

// What the system sends a program when the user logs off or shuts down.
TEST_F(Wired, EndOfSessionEndsTheProcessWithTheIconRemoved)
{
    DWORD_PTR agreed = 0;
    SendMessageTimeoutW(about, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &agreed);
    EXPECT_NE(agreed, 0u) << "the program refused to let the session end";
    DWORD_PTR ignored = 0;
    // Another program refused: the session goes on, and so does this one.
    SendMessageTimeoutW(about, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &ignored);
    Settle();
    ASSERT_TRUE(program.process().Running()) << "a cancelled log-off ended the program";
    EXPECT_EQ(VisibleTrayIcons().size(), 1u);
    SendMessageTimeoutW(about, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &ignored);
    ASSERT_TRUE(program.process().WaitForExit(kReact));
    EXPECT_TRUE(WaitForIconCount(0, kReact)) << "the icon stayed in the notification area";
}

TEST_F(Wired, PollCycleGoesOnWhileTheMenuIsOpen)
{
    HWND menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    player.SetTitle(L"5. During - The Menu - Winamp");
    ASSERT_TRUE(messenger.WaitForMessages(2, kReact)) << "no send while the menu was open";
    EXPECT_EQ(SongOf(messenger.Messages().back()), L"During - The Menu");
    EXPECT_NE(VisibleMenuWindow(program.process().Id()), nullptr) << "the menu closed by itself";
}

// The menu key, Shift+F10, Enter and Space on the icon, as the shells that report the
// keyboard send them; the others (95, 98, NT 4) send none, and nothing opens.
TEST_F(Wired, KeyboardOnTheIconOpensTheMenu)
{
    const HWND tray = FindProcessWindow(program.process(), L"nowplaying.frmSystray", kReact);
    ASSERT_NE(tray, nullptr);
    using namespace nowplaying::tray;
    const bool reported = ChooseShellLayout(GetWindowsVersion(GetVersion())).bBalloonSupport;
    // In front of Wine's notification area, it sees what the program asks of the shell.
    const StandInShell shell(0, false);
    for (const LPARAM code : {LPARAM{WM_CONTEXTMENU}, LPARAM{NIN_KEYSELECT}}) {
        ASSERT_TRUE(SendNotifyMessageW(tray, WM_MOUSEMOVE, 0, code)); // the icon's callback message
        const auto menu = [&] { return VisibleMenuWindow(program.process().Id()); };
        EXPECT_EQ(WaitUntil([&] { return menu() != nullptr; }, reported ? kReact : kSettle), reported) << code;
        if (menu() != nullptr) {
            PressKeyInMenu(menu(), "Escape");
            EXPECT_TRUE(WaitUntil([&] { return menu() == nullptr; }, kReact));
        }
    }
    // Dismissed, the keyboard's menu hands the focus back to the icon.
    EXPECT_TRUE(WaitUntil([&] { return shell.Calls(NIM_SETFOCUS) == (reported ? 2 : 0); }, kReact));
    EXPECT_TRUE(program.process().Running());
}

TEST_F(Wired, SecondRightClickWhileTheMenuIsOpenOpensNoSecondMenu)
{
    ASSERT_NE(OpenMenu(), nullptr);
    // Under Wine a click on the icon closes the menu before its callback arrives, so
    // the callback is also sent as a shell may send it: it then reaches the window
    // inside the open menu's loop.
    const HWND tray = FindProcessWindow(program.process(), L"nowplaying.frmSystray", kReact);
    ASSERT_NE(tray, nullptr);
    ASSERT_TRUE(SendNotifyMessageW(tray, WM_MOUSEMOVE, 0, WM_RBUTTONDOWN)); // the icon's callback message
    Settle();
    const auto menus = [&] { return ProcessWindows(program.process().Id(), L"#32768", true).size(); };
    EXPECT_LE(menus(), 1u) << "a second menu opened from inside the first";
    // The pointer is still on the icon, where the open menu now covers it.
    Xdotool("click 3");
    Settle();
    EXPECT_LE(menus(), 1u);
    EXPECT_TRUE(program.process().Running());
}

} // namespace
