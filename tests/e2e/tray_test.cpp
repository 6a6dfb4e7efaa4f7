// The tray component in a real shell: Wine's notification area on the test display.
// A test host owns the component and logs its events; the pointer and the keyboard
// are driven from outside with xdotool, as a user would.

#include "tray/systray.h"
#include "support/log.h"
#include "support/named_row.h"
#include "support/peers.h"
#include "support/registry.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

using namespace support;

constexpr wchar_t kHostExe[] = L"tray_host.exe";

class TrayHost {
public:
    TrayHost()
        : m_otherIcons(VisibleTrayIcons().size()),
          m_logPath(NewTempDir() + L"\\tray_host.log"),
          m_process(kHostExe, L"--log \"" + m_logPath + L"\"", ProgramLaunch())
    {
        m_control = FindProcessWindow(m_process, L"nowplaying.TrayHost", kAppear);
        EXPECT_NE(m_control, nullptr) << "the test host did not start";
        const auto loaded = WaitFor("loaded", kReact);
        EXPECT_TRUE(loaded) << "the test host did not load its tray component";
        if (loaded && loaded->fields.size() == 5) {
            unicode = loaded->fields[0] == "1";
            balloons = loaded->fields[1] == "1";
            cbSize = std::stoi(loaded->fields[2]);
            version = loaded->fields[3];
            window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoull(loaded->fields[4], nullptr, 16)));
        }
    }
    ~TrayHost()
    {
        if (HWND menu = VisibleMenuWindow(m_process.Id())) {
            PressKeyInMenu(menu, "Escape");
            WaitUntil([&] { return VisibleMenuWindow(m_process.Id()) == nullptr; }, kReact);
        }
        PostMessageW(m_control, WM_CLOSE, 0, 0);
        EXPECT_TRUE(m_process.WaitForExit(kReact)) << "the test host did not end";
    }
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // The first line of this kind whose fields start with the given ones.
    std::optional<LogEntry> Find(const std::string& kind, const std::vector<std::string>& fields = {}) const
    {
        for (const LogEntry& line : ReadStampedLog(m_logPath)) {
            if (line.kind == kind && line.fields.size() >= fields.size() &&
                std::equal(fields.begin(), fields.end(), line.fields.begin())) {
                return line;
            }
        }
        return std::nullopt;
    }
    std::optional<LogEntry> WaitFor(const std::string& kind, Clock timeout,
                                    const std::vector<std::string>& fields = {}) const
    {
        std::optional<LogEntry> found;
        WaitUntil([&] { return (found = Find(kind, fields)).has_value(); }, timeout);
        return found;
    }
    std::vector<std::string> Events() const
    {
        std::vector<std::string> events;
        for (const LogEntry& line : ReadStampedLog(m_logPath)) {
            if (line.kind == "event") {
                std::string event;
                for (const std::string& field : line.fields) {
                    event += (event.empty() ? "" : " ") + field;
                }
                events.push_back(event);
            }
        }
        return events;
    }

    void Unload()
    {
        DWORD_PTR result = 0;
        EXPECT_NE(SendMessageTimeoutW(m_control, WM_APP + 1, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);
    }
    DWORD ProcessId() const { return m_process.Id(); }

    bool unicode = false;
    bool balloons = false;
    int cbSize = 0;
    std::string version;
    HWND window = nullptr;

    // Waits until the host's icon is shown, or gone, beside the icons there were before.
    bool WaitForIcon(bool shown, Clock timeout) const
    {
        return WaitForIconCount(m_otherIcons + (shown ? 1 : 0), timeout);
    }

private:
    const std::size_t m_otherIcons;
    std::wstring m_logPath;
    Process m_process;
    HWND m_control = nullptr;
};

double Ms(long long fromUs, long long toUs)
{
    return (toUs - fromUs) / 1000.0;
}

// name: Wine's Version setting.
struct VersionCase : NamedRow {
    bool unicode;
    bool balloons;
    int cbSize32;
    int cbSize64;
};

class TrayVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(TrayVersions, IconInTheChosenLayoutComesAndGoes)
{
    const VersionCase& c = GetParam();
    if (c.unicode && ProgramLaunch() == Launch::Family95) {
        GTEST_SKIP() << "an NT version with the 95 family's system DLLs exists nowhere";
    }
    const EmulatedVersion emulated(kHostExe, std::wstring(c.name, c.name + std::strlen(c.name)).c_str());
    const long long startedAt = NowMicroseconds();
    TrayHost host;
    ASSERT_TRUE(host.WaitForIcon(true, kAppear)) << "the icon did not appear";
    const long long shownAt = NowMicroseconds();

    EXPECT_EQ(host.unicode, c.unicode);
    EXPECT_EQ(host.balloons, c.balloons);
    EXPECT_EQ(host.cbSize, sizeof(void*) == 8 ? c.cbSize64 : c.cbSize32);
    EXPECT_TRUE(host.Find("tip", {"nowplaying", "tray", "test", "host"}))
        << "the first tooltip is the program's FileDescription";
    std::printf("%s: GetVersion %s, %s layout, balloons %s, cbSize %d (%d-bit records), icon shown %.0f ms "
                "after start\n",
                c.name, host.version.c_str(), host.unicode ? "Unicode" : "ANSI", host.balloons ? "yes" : "no",
                host.cbSize, static_cast<int>(sizeof(void*) * 8), Ms(startedAt, shownAt));
    RecordProperty("cbSize", host.cbSize);

    // A left click reaches the owner through whichever interface the layout uses.
    ClickAt(VisibleTrayIcons().back(), 1);
    EXPECT_TRUE(host.WaitFor("event", kReact, {"2", "1"})) << "no SysTrayMouseUp(1) after a left click";
    const std::vector<std::string> events = host.Events();
    EXPECT_NE(std::find(events.begin(), events.end(), "1 1"), events.end());

    host.Unload();
    EXPECT_TRUE(host.WaitForIcon(false, kReact)) << "the icon stayed after the unload";
}

INSTANTIATE_TEST_SUITE_P(Tray, TrayVersions,
                         ::testing::Values(VersionCase{{"win98"}, false, false, 88, 104},
                                           VersionCase{{"winme"}, false, true, 488, 504},
                                           VersionCase{{"nt40"}, true, false, 152, 168},
                                           VersionCase{{"winxp"}, true, true, 936, 952}),
                         RowName);

// The host with its icon shown and its menu opened by a right-click.
class TrayMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.WaitForIcon(true, kAppear));
        const long long clickedAt = NowMicroseconds();
        menu = OpenTrayMenu(VisibleTrayIcons().back(), host.ProcessId());
        const auto down = host.WaitFor("event", kReact, {"1", "2"});
        ASSERT_TRUE(down) << "no SysTrayMouseDown(2) after a right-click on the icon";
        std::printf("right-click to SysTrayMouseDown(2): %.0f ms\n", Ms(clickedAt, down->us));
        ASSERT_NE(menu, nullptr);
    }

    TrayHost host;
    HWND menu = nullptr;
};

TEST_F(TrayMenu, RightClickOpensTheMenuAndAKeyChoosesAnItem)
{
    EXPECT_TRUE(host.WaitFor("event", kReact, {"2", "2"})) << "the release arrives while the menu is open";
    const auto popup = host.WaitFor("popup", kReact);
    ASSERT_TRUE(popup) << "the menu opened unseen";
    EXPECT_EQ(popup->fields, std::vector<std::string>{"0"}) << "\"&About\" is not drawn as the default item";

    const long long pressedAt = NowMicroseconds();
    PressKeyInMenu(menu, "e");
    const auto click = host.WaitFor("event", kReact, {"5"});
    ASSERT_TRUE(click) << "choosing \"&Exit\" raised no MenuClick";
    EXPECT_EQ(click->fields, (std::vector<std::string>{"5", "2", "exit"}));
    EXPECT_TRUE(WaitUntil([&] { return VisibleMenuWindow(host.ProcessId()) == nullptr; }, kReact));
    std::printf("key to MenuClick(2, exit): %.0f ms\n", Ms(pressedAt, click->us));

    const std::vector<std::string> events = host.Events();
    const auto down = std::find(events.begin(), events.end(), "1 2");
    const auto up = std::find(events.begin(), events.end(), "2 2");
    EXPECT_TRUE(down < up && up < std::find(events.begin(), events.end(), "5 2 exit")) << "events out of order";
    EXPECT_EQ(std::count(events.begin(), events.end(), "5 2 exit"), 1);
}

TEST_F(TrayMenu, ClickOnTheFirstMenuItemReportsItsIndexAndKey)
{
    // "&About" is the top item: a few pixels inside the menu's top edge.
    ClickAt(menu, 1, POINT{16, 8});
    const auto click = host.WaitFor("event", kReact, {"5"});
    ASSERT_TRUE(click) << "clicking \"&About\" raised no MenuClick";
    EXPECT_EQ(click->fields, (std::vector<std::string>{"5", "0", "about"}));
}

TEST(Tray, IconArrivesOnceABusyShellTakesTheAdd)
{
    StandInShell shell(2);
    TrayHost host;
    ASSERT_TRUE(shell.WaitUntilAside(kAppear)) << "the add was not tried again";
    ASSERT_TRUE(host.WaitForIcon(true, kAppear)) << "the icon did not appear";
    const long long shownAt = NowMicroseconds();
    const std::vector<long long>& refused = shell.RefusedAddsUs();
    ASSERT_EQ(refused.size(), 2u);
    std::printf("adds refused at 0 and %.0f ms, icon shown at %.0f ms (%.0f ms after the last refusal)\n",
                Ms(refused[0], refused[1]), Ms(refused[0], shownAt), Ms(refused[1], shownAt));
    EXPECT_GE(Ms(refused[0], refused[1]), 900.0) << "tried again without waiting";
    EXPECT_TRUE(WaitForTrayTooltip(L"nowplaying tray test host", kReact)) << "the add that was taken lacks the tip";
    ClickAt(VisibleTrayIcons().back(), 1);
    EXPECT_TRUE(host.WaitFor("event", kReact, {"2", "1"})) << "the icon does not reach the owner";
}

// Wine drops an icon by itself when its window goes, so the shell's own view tells
// nothing about the delete: a stand-in shell that takes every call counts them.
TEST(Tray, UnloadDeletesTheIconItAdded)
{
    const StandInShell shell(0, false);
    TrayHost host;
    ASSERT_TRUE(WaitUntil([&] { return shell.Calls(NIM_ADD) > 0; }, kAppear)) << "no add reached the shell";
    EXPECT_EQ(shell.Calls(NIM_DELETE), 0);
    host.Unload();
    EXPECT_TRUE(WaitUntil([&] { return shell.Calls(NIM_DELETE) == 1; }, kReact)) << "the icon was not deleted";
    EXPECT_EQ(shell.Calls(NIM_ADD), 1);
}

TEST(Tray, IconComesBackWhenTheShellRestarts)
{
    TrayHost host;
    ASSERT_TRUE(host.WaitForIcon(true, kAppear));
    // A close from outside leaves the window, and so the icon's way to the owner.
    ASSERT_TRUE(PostMessageW(host.window, WM_CLOSE, 0, 0));

    // The shell forgets the icon behind the component's back...
    NOTIFYICONDATAW nid{};
    nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
    nid.hWnd = host.window;
    nid.uID = nowplaying::tray::frmSystray::ICON_ID;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
    ASSERT_TRUE(host.WaitForIcon(false, kReact));

    // ...and announces its restart to every top-level window.
    const long long restartedAt = NowMicroseconds();
    ASSERT_TRUE(PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
    ASSERT_TRUE(host.WaitForIcon(true, kReact)) << "the icon did not come back";
    std::printf("shell restart to icon back: %.0f ms\n", Ms(restartedAt, NowMicroseconds()));

    ClickAt(VisibleTrayIcons().back(), 1);
    EXPECT_TRUE(host.WaitFor("event", kReact, {"2", "1"})) << "the icon that came back does not reach the owner";
}

} // namespace
