// The download's setup program as a user meets it: a silent install, another over the
// running program, and the uninstall of the running program, each followed by the same
// checks of the files, the shortcuts and the Add/Remove Programs entry. Under the
// 95-family emulation it installs for everyone, under Program Files.

#include "app/resources/resource.h"
#include "support/desktop.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

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

TEST(Setup, InstallsOverTheRunningProgramAndUninstallsIt)
{
    const bool family95 = ProgramLaunch() == Launch::Family95;
    const std::wstring dir = family95 ? Folder(CSIDL_PROGRAM_FILES) + L"\\nowplaying"
                                      : Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\nowplaying";
    const std::wstring exe = dir + L"\\nowplaying.exe";
    const std::wstring uninstaller = L"\"" + dir + L"\\uninstall.exe\"";
    const HKEY root = family95 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::wstring setup = L"..\\dist\\nowplaying-" NOWPLAYING_VERSION_TEXT L"-setup.exe";
    // Before the second and third step the installed program is started and README.txt
    // changed, as a user may: each is to end the program and replace or remove both.
    const struct {
        const char* name;
        std::wstring exe;
        bool installed;
    } steps[] = {
        {"install", setup, true},
        {"install over the running program", setup, true},
        {"uninstall the running program", dir + L"\\uninstall.exe", false},
    };
    ASSERT_FALSE(std::filesystem::exists(dir) || !Entry(root, L"DisplayName").empty()) << "an earlier run's install";
    std::string readme;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        std::optional<Process> program;
        if (!readme.empty()) {
            program.emplace(exe, L"", ProgramLaunch());
            ASSERT_NE(FindProcessWindow(*program, L"nowplaying.frmMain", kAppear), nullptr);
            std::ofstream((dir + L"\\README.txt").c_str()) << "changed";
        }
        Process run(step.exe, L"/S", ProgramLaunch());
        ASSERT_TRUE(run.WaitForExit(kAppear * 3));
        EXPECT_EQ(run.ExitCode(), 0u);
        // The uninstaller goes on in a copy of itself; the folder goes last.
        ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(dir) == step.installed; }, kAppear * 3));
        EXPECT_TRUE(!program || !program->Running()) << "the running program was not ended";
        readme = readme.empty() ? Bytes(dir + L"\\README.txt") : readme;
        ASSERT_NE(readme, "");

        EXPECT_EQ(Bytes(exe), step.installed ? Bytes(BinDir() + L"\\nowplaying.exe") : "");
        EXPECT_EQ(Bytes(dir + L"\\README.txt"), step.installed ? readme : "");
        // A shortcut's target is in its LinkInfo, its show command at byte 60 (MS-SHLLINK).
        for (const auto& [folder, show] : {std::pair{family95 ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, SW_SHOWNORMAL},
                                           {family95 ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP, SW_SHOWMINNOACTIVE}}) {
            const std::string link = Bytes(Folder(folder) + L"\\nowplaying.lnk");
            EXPECT_EQ(link.find(std::string(exe.begin(), exe.end()) + '\0') != std::string::npos, step.installed);
            EXPECT_EQ(link.size() > 60 ? link[60] : 0, step.installed ? show : 0);
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

} // namespace
