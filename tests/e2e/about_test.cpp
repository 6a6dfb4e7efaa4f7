// The About window of the real program, inspected and driven from outside its process.

#include "app/about_layout.h"
#include "app/resources/resource.h"
#include "support/named_row.h"
#include "support/peers.h"
#include "support/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <sstream>
#include <vector>

namespace {

using namespace support;

using nowplaying::ID_CMD_OK;
using nowplaying::ID_LBL_SONG;

struct ExpectedControl {
    int id;
    const wchar_t* className;
    const wchar_t* caption; // null: the text changes with the song
};

// In tab order; their rectangles are the layout's, whose pixels the unit tests pin.
const std::array<ExpectedControl, 5> kControls = {{
    {nowplaying::ID_LBL1, L"Static", L"'What I'm listening to' in Winamp plugin for MSN Messenger 7."},
    {nowplaying::ID_LBL2, L"Static", L"nowplaying version " NOWPLAYING_VERSION_TEXT},
    {ID_CMD_OK, L"Button", L"Ok"},
    {ID_LBL_SONG, L"Static", nullptr},
    {nowplaying::ID_LBL3, L"Static", L"Currently Listening to:"},
}};

std::array<long, 4> Edges(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void ExpectLayout(HWND about, int dpi)
{
    const SIZE actual = ClientSize(about);
    const nowplaying::PixelSize client = nowplaying::AboutClientSize(dpi);
    EXPECT_EQ(actual.cx, client.width);
    EXPECT_EQ(actual.cy, client.height);
    for (const nowplaying::AboutControl& control : nowplaying::ABOUT_CONTROLS) {
        const nowplaying::PixelRect at = nowplaying::ToPixels(control.twips, dpi);
        EXPECT_EQ(Edges(ControlRect(about, control.id)), (std::array<long, 4>{at.left, at.top, at.right, at.bottom}))
            << "control " << control.id;
    }
    RECT frame{};
    GetWindowRect(about, &frame);
    const RECT ok = ControlRect(about, ID_CMD_OK);
    std::printf("About window: client %ldx%ld, window %ldx%ld, Ok at (%ld,%ld)-(%ld,%ld)\n", actual.cx, actual.cy,
                frame.right - frame.left, frame.bottom - frame.top, ok.left, ok.top, ok.right, ok.bottom);
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The program with its About window shown: by then it is laid out for its DPI.
class AboutWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WaitForVisible(about, true, kReact)) << "no About window shown"; }

    NowPlaying program;
    const HWND about = program.Window();
};

TEST_F(AboutWindow, AppearsAtStartAsAFixedDialog)
{
    EXPECT_EQ(TextOf(about), L"About");
    const LONG style = GetWindowLongW(about, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_NE(style & WS_SYSMENU, 0) << "the caption's icon";
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
}

// The manifest's DPI awareness as the system applied it to the window.
TEST_F(AboutWindow, IsPerMonitorDpiAware)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    using ContextOfWindow = void*(WINAPI*)(HWND);
    using AwarenessOfContext = int(WINAPI*)(void*);
    const auto contextOf = reinterpret_cast<ContextOfWindow>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    const auto awarenessOf = reinterpret_cast<AwarenessOfContext>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (contextOf == nullptr || awarenessOf == nullptr) {
        GTEST_SKIP() << "this system has no per-window DPI awareness";
    }
    constexpr int kPerMonitorAware = 2; // DPI_AWARENESS_PER_MONITOR_AWARE
    EXPECT_EQ(awarenessOf(contextOf(about)), kPerMonitorAware);
}

struct ArgbIcon {
    unsigned long width = 0;
    unsigned long height = 0;
    std::vector<unsigned long> pixels; // 0xAARRGGBB, rows top first
};

// The images the window manager was given for the window (_NET_WM_ICON), read with
// xprop as "_NET_WM_ICON=w, h, pixels..., w, h, pixels...".
std::vector<ArgbIcon> WindowManagerIcons(HWND window)
{
    const std::optional<std::string> text = RunUnixShell(
        "xprop -id " + std::to_string(XWindowOf(window)) + " -notype -f _NET_WM_ICON 32c '=$0+' _NET_WM_ICON", 10s);
    std::vector<unsigned long> values;
    if (text && text->find('=') != std::string::npos) {
        std::istringstream fields(text->substr(text->find('=') + 1));
        std::string field;
        while (std::getline(fields, field, ',')) {
            values.push_back(std::stoul(field));
        }
    }
    std::vector<ArgbIcon> icons;
    for (std::size_t i = 0; i + 2 <= values.size();) {
        ArgbIcon icon;
        icon.width = values[i];
        icon.height = values[i + 1];
        const std::size_t count = icon.width * icon.height;
        if (i + 2 + count > values.size()) {
            break;
        }
        icon.pixels.assign(values.begin() + static_cast<std::ptrdiff_t>(i + 2),
                           values.begin() + static_cast<std::ptrdiff_t>(i + 2 + count));
        icons.push_back(std::move(icon));
        i += 2 + count;
    }
    return icons;
}

// Wine hands the window's big and small icons to the window manager; finding the
// application's picture there proves the window carries it (another process cannot
// ask for the icon handles themselves under Wine).
TEST_F(AboutWindow, CarriesTheApplicationIconBigAndSmall)
{
    if (XWindowOf(about) == 0) {
        GTEST_SKIP() << "not shown through Wine's X11 driver";
    }
    const std::vector<ArgbIcon> icons = WindowManagerIcons(about);
    std::vector<unsigned long> sizes;
    for (const ArgbIcon& icon : icons) {
        sizes.push_back(icon.width);
        EXPECT_EQ(icon.width, icon.height);
        // The corner lies outside the speech bubble: transparent. A quarter of the
        // way in, just below the top of the bubble, lies its blue, opaque fill.
        EXPECT_EQ(icon.pixels.front() >> 24, 0u) << icon.width;
        const unsigned long inside = icon.pixels[(icon.height * 10 / 32) * icon.width + icon.width / 8];
        const unsigned long alpha = inside >> 24, red = (inside >> 16) & 0xFF, blue = inside & 0xFF;
        EXPECT_EQ(alpha, 0xFFu) << icon.width;
        EXPECT_GT(blue, red + 80) << icon.width << " pixels: " << std::hex << inside;
    }
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 32ul), sizes.end());
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 16ul), sizes.end());
}

TEST_F(AboutWindow, ControlsSitAtTheirPlacesInTabOrderAt96Dpi)
{
    ExpectLayout(about, 96);

    HWND child = GetWindow(about, GW_CHILD);
    for (const ExpectedControl& control : kControls) {
        ASSERT_NE(child, nullptr) << "too few controls";
        EXPECT_EQ(GetDlgCtrlID(child), control.id) << "tab order";
        EXPECT_EQ(_wcsicmp(ClassOf(child).c_str(), control.className), 0) << "control " << control.id;
        if (control.caption != nullptr) {
            EXPECT_EQ(TextOf(child), control.caption);
        }
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (control.id == ID_CMD_OK) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
            EXPECT_NE(style & WS_TABSTOP, 0);
        } else {
            EXPECT_EQ(style & SS_TYPEMASK, SS_CENTER) << "control " << control.id;
            EXPECT_NE(style & SS_NOPREFIX, 0) << "control " << control.id;
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than expected";
}

// The player and the messenger run before the program starts, as they do for a user.
// (Started after it, their windows came while the window manager was still taking on
// the About window, which twice in many runs then stayed unmapped on the display.)
struct Peers {
    StandInMessenger messenger;
    StandInPlayer player{L"1. Artist - Title - Winamp"};
};

class AboutWindowAmongPeers : protected Peers, public AboutWindow {};

TEST_F(AboutWindowAmongPeers, OkHidesItWhileTheSongLabelAndSendsGoOn)
{
    const HWND lblSong = GetDlgItem(about, ID_LBL_SONG);
    ASSERT_TRUE(WaitForText(lblSong, L"Artist - Title", kReact)) << "the label shows " << TextOf(lblSong);
    ASSERT_TRUE(messenger.WaitForMessages(1, kReact));

    ClickAt(GetDlgItem(about, ID_CMD_OK), 1);
    ASSERT_TRUE(WaitForVisible(about, false, kReact));
    EXPECT_TRUE(program.process().Running());

    player.SetTitle(L"2. Hidden - Still Followed - Winamp");
    EXPECT_TRUE(WaitForText(lblSong, L"Hidden - Still Followed", kReact));
    ASSERT_TRUE(messenger.WaitForMessages(2, kReact));
    EXPECT_EQ(SongOf(messenger.Messages()[1]), L"Hidden - Still Followed");
    player.Close();
    EXPECT_TRUE(WaitForText(lblSong, L"", kReact));
    EXPECT_FALSE(IsWindowVisible(about)) << "nothing but the user shows it again";
}

struct AboutInput : NamedRow {
    UINT message; // a key's down message, or WM_SYSCOMMAND
    WPARAM code;
};

class AboutKey : public AboutWindowAmongPeers, public ::testing::WithParamInterface<AboutInput> {};

// The keys go to the control that has the focus, as typed keys would; the message
// loop's dialog handling turns Enter and Esc into the Ok and Cancel commands, the
// default processing Alt+F4 into the close command. That command goes to the window
// as the close box and the system menu's Close send it. Whatever the input, the
// window hides and the program goes on with its icon, sending.
TEST_P(AboutKey, HidesTheWindowWhileTheProgramGoesOn)
{
    const AboutInput& input = GetParam();
    const HWND cmdOk = GetDlgItem(about, ID_CMD_OK);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(about) == cmdOk; }, kReact)) << "Ok does not have the focus";
    ASSERT_TRUE(messenger.WaitForMessages(1, kReact));
    if (input.message == WM_SYSCOMMAND) {
        PostMessageW(about, WM_SYSCOMMAND, input.code, 0);
    } else {
        const LPARAM alt = input.message == WM_SYSKEYDOWN ? KF_ALTDOWN << 16 : 0;
        PostMessageW(cmdOk, input.message, input.code, alt | 1);
        PostMessageW(cmdOk, input.message + 1, input.code, alt | 0xC0000001); // its up message
    }
    ASSERT_TRUE(WaitForVisible(about, false, kReact));
    ASSERT_TRUE(program.process().Running()) << "the program ended";
    EXPECT_TRUE(WaitForIconCount(1, kReact)) << "the icon is not in the notification area";
    player.SetTitle(L"2. Hidden - Still Sent - Winamp");
    ASSERT_TRUE(messenger.WaitForMessages(2, kReact));
    EXPECT_EQ(SongOf(messenger.Messages()[1]), L"Hidden - Still Sent");
}

INSTANTIATE_TEST_SUITE_P(Inputs, AboutKey,
                         ::testing::Values(AboutInput{{"Enter"}, WM_KEYDOWN, VK_RETURN},
                                           AboutInput{{"Esc"}, WM_KEYDOWN, VK_ESCAPE},
                                           AboutInput{{"AltF4"}, WM_SYSKEYDOWN, VK_F4},
                                           AboutInput{{"CloseBoxOrMenuClose"}, WM_SYSCOMMAND, SC_CLOSE}),
                         RowName);

TEST_F(AboutWindow, HasNoTaskbarButton)
{
    // The shell's rule: an owned window without WS_EX_APPWINDOW gets no button.
    const HWND owner = GetWindow(about, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_EQ(GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    // And the window manager under Wine was told so.
    const UINT_PTR xWindow = XWindowOf(about);
    if (xWindow == 0) {
        GTEST_SKIP() << "not shown through Wine's X11 driver";
    }
    const std::optional<std::string> state =
        RunUnixShell("xprop -id " + std::to_string(xWindow) + " _NET_WM_STATE", 10s);
    ASSERT_TRUE(state.has_value()) << "xprop did not run";
    EXPECT_NE(state->find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << *state;
}

// Wine takes its DPI from the user's LogPixels value when a process starts; it is
// set only until the program has its window, so no other program sees it.
TEST(AboutWindowAt144Dpi, ScalesItsLayout)
{
    std::optional<NowPlaying> program;
    {
        ScopedUserValue dpi(L"Control Panel\\Desktop", L"LogPixels", 144);
        program.emplace();
    }
    ASSERT_TRUE(WaitForVisible(program->Window(), true, kReact)) << "no About window shown";
    ExpectLayout(program->Window(), 144);
}

// The resources built into the program, read from its file.
class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
    }
    void TearDown() override
    {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
    }

    std::string Resource(const wchar_t* type, int id) const
    {
        const HRSRC found = FindResourceW(m_module, MAKEINTRESOURCEW(id), type);
        const HGLOBAL loaded = found != nullptr ? LoadResource(m_module, found) : nullptr;
        if (loaded == nullptr) {
            return {};
        }
        return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(m_module, found));
    }

    const std::wstring m_path = BinDir() + L"\\nowplaying.exe";
    HMODULE m_module = nullptr;
};

TEST_F(Resources, VersionRecordNamesTheProductButDescribesNothing)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(m_path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(m_path.c_str(), 0, size, data.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u) << "one translation";
    EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0409);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 1200);

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"ProductName", L"nowplaying"}, {L"InternalName", L"nowplaying"}, {L"OriginalFilename", L"nowplaying.exe"},
        {L"FileVersion", L"1.00"},       {L"ProductVersion", L"1.00"},
    };
    for (const auto& [name, expected] : strings) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(data.data(), path.c_str(), &value, &length)) << std::wstring(name);
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), expected);
    }
    // The notification icon's first tooltip comes from FileDescription: there is none.
    EXPECT_FALSE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\FileDescription", &value, &length) &&
                 length > 0);
}

TEST_F(Resources, IconHoldsTheClassicImagesAndTrueColourOnesForEveryScale)
{
    const std::string group = Resource(RT_GROUP_ICON, 1);
    ASSERT_GE(group.size(), 6u);
    const auto word = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(group[at]) | static_cast<unsigned char>(group[at + 1])
                                                                                 << 8);
    };
    ASSERT_EQ(word(2), 1u) << "an icon, not a cursor";
    const unsigned count = word(4);
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::vector<std::pair<unsigned, unsigned>> images; // (pixels, bits per pixel)
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 14 * i;
        const unsigned width = static_cast<unsigned char>(group[entry]);
        EXPECT_EQ(static_cast<unsigned char>(group[entry + 1]), width);
        images.emplace_back(width, word(entry + 6));
        // A BITMAPINFOHEADER, not a PNG: the 95 family reads only DIB images.
        const std::string image = Resource(RT_ICON, static_cast<int>(word(entry + 12)));
        EXPECT_EQ(image.substr(0, 4), std::string("\x28\0\0\0", 4)) << width << " pixels";
    }
    // The classic three, then the small and large icon sizes of 100 to 200 %.
    const std::vector<std::pair<unsigned, unsigned>> expected = {
        {32, 1},  {32, 4},  {16, 4},  {16, 32}, {20, 32}, {24, 32},
        {28, 32}, {32, 32}, {40, 32}, {48, 32}, {56, 32}, {64, 32},
    };
    EXPECT_EQ(images, expected);
}

TEST_F(Resources, ManifestAsksForCommonControls6PerMonitorDpiAndNoElevation)
{
    const std::string manifest = Resource(MAKEINTRESOURCEW(24), 1); // RT_MANIFEST
    ASSERT_FALSE(manifest.empty());
    for (const char* part :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">PerMonitorV2, PerMonitor<", ">true/pm<",
          "level=\"asInvoker\"", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

} // namespace
