// The download's setup program as a user meets it: an install through its pages, then
// installs over the running program, silent and through the pages, with the Startup
// option on and off, and the uninstall of the running program; each step followed by the
// same checks of the files, the shortcuts, the Add/Remove Programs entry and the program
// left running. On NT it runs again in a profile folder whose name the ANSI code page
// cannot hold; under the 95-family emulation it installs for everyone, under Program Files.

#include "app/resources/resource.h"
#include "support/desktop.h"
#include "support/registry.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>

namespace {

using namespace support;

std::wstring Folder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string Bytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A value of the program's entry as text (a DWORD in decimal); empty when there is none.
std::wstring Entry(HKEY root, const wchar_t* name)
{
    wchar_t data[MAX_PATH] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    RegGetValueW(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\nowplaying", name,
                 RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, data, &size);
    DWORD number = 0;
    std::memcpy(&number, data, sizeof(number));
    return type == REG_DWORD ? std::to_wstring(number) : data;
}

// Goes through the setup's pages as a user would, with Next (Install, Finish) on each: the
// options page is to show "Start nowplaying at log-on" as shown, and is left as startup;
// the finish page is to offer Run only when no copy was running. A message box stops it.
void ClickThrough(const Process& setup, bool shown, bool startup, bool running)
{
    HWND seen = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            Sleep(300); // a user's pace, which NSIS's pages expect
            for (const HWND window : ProcessWindows(setup.Id(), L"#32770", true)) {
                const HWND page = FindWindowExW(window, nullptr, L"#32770", nullptr);
                if (page == nullptr || page == seen || !IsWindowEnabled(GetDlgItem(window, IDOK))) {
                    continue;
                }
                if (const HWND tree = FindWindowExW(page, nullptr, WC_TREEVIEWW, nullptr)) {
                    const HTREEITEM option = TreeView_GetNextSibling(tree, TreeView_GetRoot(tree));
                    EXPECT_EQ(TreeView_GetItemState(tree, option, TVIS_STATEIMAGEMASK),
                              INDEXTOSTATEIMAGEMASK(shown + 1));
                    if (shown != startup && TreeView_SelectItem(tree, option)) {
                        SendMessageW(tree, WM_CHAR, VK_SPACE, 0);
                    }
                } else if (const HWND run = FindWindowExW(page, nullptr, L"Button", L"&Run nowplaying")) {
                    EXPECT_EQ(IsWindowVisible(run) != FALSE, !running);
                }
                seen = page;
                PostMessageW(window, WM_COMMAND, IDOK, 0);
            }
            return !setup.Running();
        },
        kAppear * 6))
        << "the setup did not end, or stopped at a message box";
}

// Whether the user's folders lie in a profile folder that the ANSI code page cannot name
// (Иван), which the setup then reaches by its short name.
class Setup : public testing::TestWithParam<bool> {};

TEST_P(Setup, InstallsOverTheRunningProgramAndUninstallsIt)
{
    const bool family95 = ProgramLaunch() == Launch::Family95;
    if (family95 && GetParam()) {
        GTEST_SKIP() << "the 95 family installs for everyone, outside the profile";
    }
    std::list<ScopedUserValue> profile;
    for (const auto& [name, folder] : {std::pair{L"Local AppData", L"AppData\\Local"},
                                       {L"Programs", L"Start Menu\\Programs"},
                                       {L"StartUp", L"Start Menu\\Programs\\StartUp"}}) {
        const std::wstring path = L"C:\\users\\\u0418\u0432\u0430\u043d\\" + std::wstring(folder);
        if (GetParam()) {
            std::filesystem::create_directories(path);
            profile.emplace_back(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", name,
                                 path.c_str());
        }
    }
    wchar_t local[MAX_PATH] = {};
    GetShortPathNameW(Folder(CSIDL_LOCAL_APPDATA).c_str(), local, MAX_PATH);
    const std::wstring dir = family95 ? Folder(CSIDL_PROGRAM_FILES) + L"\\nowplaying"
                                      : (GetParam() ? local : Folder(CSIDL_LOCAL_APPDATA)) + L"\\Programs\\nowplaying";
    const std::wstring exe = dir + L"\\nowplaying.exe";
    const std::wstring uninstaller = L"\"" + dir + L"\\uninstall.exe\"";
    const HKEY root = family95 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::wstring setup = L"..\\dist\\nowplaying-" NOWPLAYING_VERSION_TEXT L"-setup.exe";
    // Each step after the first finds the program running, as the one before left it,
    // and README.txt changed, as a user may: it is to end the program, replace or remove
    // both, and start the new program again, minimized.
    const struct {
        const char* name;
        std::wstring exe;
        bool silent;
        bool startup; // the Startup option as the step leaves it
        bool installed;
        const wchar_t* failing = L""; // a function that fails for the setup (family_launcher's --fail)
    } steps[] = {
        {"install through the pages", setup, false, true, true},
        {"install over the running program", setup, true, true, true},
        // A running copy whose process the setup cannot open, as when it runs with other rights.
        {"Startup off, through the pages", setup, false, false, true, L"OpenProcess"},
        {"install again, silently: Startup stays off", setup, true, false, true},
        {"uninstall the running program", dir + L"\\uninstall.exe", true, false, false},
    };
    ASSERT_FALSE(std::filesystem::exists(dir) || !Entry(root, L"DisplayName").empty()) << "an earlier run's install";
    std::string readme;
    bool startup = true;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        const HWND before = FindWindowW(L"" NOWPLAYING_WINDOW_CLASS, nullptr);
        ASSERT_EQ(before != nullptr, !readme.empty());
        if (before != nullptr) {
            std::ofstream((dir + L"\\README.txt").c_str()) << "changed";
        }
        const Launch launch = *step.failing && ProgramLaunch() == Launch::Direct ? Launch::FamilyNt : ProgramLaunch();
        Process run(step.exe, step.silent ? L"/S" : L"", launch, L"", std::nullopt, step.failing);
        if (!step.silent) {
            ClickThrough(run, startup, step.startup, before != nullptr);
        }
        startup = step.startup;
        ASSERT_TRUE(run.WaitForExit(kAppear * 3));
        EXPECT_EQ(run.ExitCode(), 0u);
        // The uninstaller goes on in a copy of itself; the folder goes last.
        ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(dir) == step.installed; }, kAppear * 3));
        EXPECT_FALSE(IsWindow(before)) << "the running program was not ended";
        // Only the icon appears, but for the first install's Run.
        EXPECT_TRUE(WaitForIconCount(step.installed, kAppear));
        const HWND after = FindWindowW(L"" NOWPLAYING_WINDOW_CLASS, nullptr);
        EXPECT_TRUE(!step.installed || WaitForVisible(after, before == nullptr, kReact));
        readme = readme.empty() ? Bytes(dir + L"\\README.txt") : readme;
        ASSERT_NE(readme, "");

        EXPECT_EQ(Bytes(exe), step.installed ? Bytes(BinDir() + L"\\nowplaying.exe") : "");
        EXPECT_EQ(Bytes(dir + L"\\README.txt"), step.installed ? readme : "");
        // A shortcut's target is in its LinkInfo, its show command at byte 60 (MS-SHLLINK).
        for (const auto& [folder, show] : {std::pair{family95 ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, SW_SHOWNORMAL},
                                           {family95 ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP, SW_SHOWMINNOACTIVE}}) {
            const std::string link = Bytes(Folder(folder) + L"\\nowplaying.lnk");
            const bool made = step.installed && (show == SW_SHOWNORMAL || step.startup);
            EXPECT_EQ(link.find(std::string(exe.begin(), exe.end()) + '\0') != std::string::npos, made);
            EXPECT_EQ(link.size() > 60 ? link[60] : 0, made ? show : 0);
        }
        for (const auto& [name, value] : {std::pair{L"DisplayName", std::wstring(L"nowplaying")},
                                          {L"DisplayVersion", L"" NOWPLAYING_VERSION_TEXT},
                                          {L"DisplayIcon", exe + L",0"},
                                          {L"InstallLocation", dir},
                                          {L"UninstallString", uninstaller},
                                          {L"QuietUninstallString", uninstaller + L" /S"},
                                          {L"NoModify", L"1"},
                                          {L"NoRepair", L"1"}}) {
            EXPECT_EQ(Entry(root, name), step.installed ? value : L"") << std::filesystem::path(name);
        }
        EXPECT_GE(std::stoul(L"0" + Entry(root, L"EstimatedSize")), step.installed ? Bytes(exe).size() / 1024 : 0);
        EXPECT_EQ(Entry(root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, L"DisplayName"), L"");
    }
}

INSTANTIATE_TEST_SUITE_P(Profile, Setup, testing::Bool());

} // namespace
