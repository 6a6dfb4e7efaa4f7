// The download's setup program as a user meets it: installed silently with its defaults,
// installed again over the running program, and uninstalled from its Add/Remove Programs
// entry, with what each step leaves on the disk, in the Start menu and in the registry.
// Under the 95-family emulation it installs for everyone, under Program Files.

#include "app/resources/resource.h"
#include "support/desktop.h"
#include "win32/unique_handle.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

using namespace support;

constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\nowplaying";

std::wstring Folder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string Bytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()) : "";
}

struct KeyTraits {
    static void Close(HKEY key) { RegCloseKey(key); }
};

// A value under the key as text (a DWORD in decimal); empty when absent.
std::wstring Value(HKEY root, const wchar_t* key, const wchar_t* name)
{
    BYTE data[2 * MAX_PATH] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, data, &size) != ERROR_SUCCESS) {
        return L"";
    }
    return type == REG_DWORD ? std::to_wstring(*reinterpret_cast<DWORD*>(data)) : reinterpret_cast<wchar_t*>(data);
}

// The Add/Remove Programs entries that name the program, whatever their keys are called.
int Entries(HKEY root)
{
    HKEY opened = nullptr;
    RegOpenKeyExW(root, kUninstall, 0, KEY_READ, &opened);
    const nowplaying::win32::UniqueHandle<HKEY, KeyTraits> uninstall(opened);
    int count = 0;
    wchar_t key[MAX_PATH];
    for (DWORD i = 0, length = MAX_PATH;
         uninstall && RegEnumKeyExW(uninstall.get(), i, key, &length, nullptr, nullptr, nullptr, nullptr) == 0;
         ++i, length = MAX_PATH) {
        count += Value(uninstall.get(), key, L"DisplayName") == L"nowplaying";
    }
    return count;
}

struct Shortcut {
    std::wstring target;
    int showCommand = 0;
};

// What a shortcut starts and how; nullopt when there is no shortcut. The show command
// is read from the file's header (MS-SHLLINK's ShellLinkHeader, at byte 60), as the
// shell reads it: Wine's IShellLink answers SW_SHOWNORMAL for SW_SHOWMINNOACTIVE.
std::optional<Shortcut> ReadShortcut(const std::wstring& path)
{
    Microsoft::WRL::ComPtr<IShellLinkW> link;
    Microsoft::WRL::ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH] = {};
    const std::string bytes = Bytes(path);
    if (bytes.size() < 64 || FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                     IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ)) ||
        FAILED(link->GetPath(target, MAX_PATH, nullptr, 0))) {
        return std::nullopt;
    }
    return Shortcut{target, static_cast<unsigned char>(bytes[60])};
}

class Setup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }

    // Installs (and uninstalls) as Add/Remove Programs or a user would, and waits for
    // the setup (the uninstall being done when its folder has gone).
    void Run(const std::wstring& exe, bool uninstall)
    {
        Process setup(exe, L"/S", ProgramLaunch());
        ASSERT_TRUE(setup.WaitForExit(kAppear * 3));
        EXPECT_EQ(setup.ExitCode(), 0u);
        ASSERT_TRUE(!uninstall || WaitUntil([&] { return !std::filesystem::exists(dir); }, kAppear * 3));
    }

    // Everything the setup puts in place, or nothing of it.
    void ExpectInstalled(bool installed)
    {
        const std::wstring exe = dir + L"\\nowplaying.exe";
        const std::wstring uninstaller = L"\"" + dir + L"\\uninstall.exe\"";
        EXPECT_EQ(std::filesystem::exists(dir), installed);
        EXPECT_EQ(Bytes(exe) == Bytes(BinDir() + L"\\nowplaying.exe"), installed);
        EXPECT_EQ(Bytes(dir + L"\\README.txt"), installed ? readme : "");
        EXPECT_EQ(std::filesystem::exists(dir + L"\\uninstall.exe"), installed);
        for (const auto& [folder, showCommand] : {std::pair{family95 ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, SW_SHOWNORMAL},
                                                  std::pair{family95 ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP,
                                                            SW_SHOWMINNOACTIVE}}) {
            const auto shortcut = ReadShortcut(Folder(folder) + L"\\nowplaying.lnk");
            ASSERT_EQ(shortcut.has_value(), installed) << Folder(folder);
            EXPECT_TRUE(!shortcut || (_wcsicmp(shortcut->target.c_str(), exe.c_str()) == 0 &&
                                      shortcut->showCommand == showCommand))
                << std::filesystem::path(shortcut->target) << " " << shortcut->showCommand;
        }
        EXPECT_EQ(Entries(root), installed ? 1 : 0);
        EXPECT_EQ(Entries(root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER), 0);
        if (installed) {
            for (const auto& [name, value] : {std::pair{L"DisplayVersion", std::wstring(L"" NOWPLAYING_VERSION_TEXT)},
                                              {L"DisplayIcon", exe + L",0"}, {L"InstallLocation", dir},
                                              {L"UninstallString", uninstaller},
                                              {L"QuietUninstallString", uninstaller + L" /S"},
                                              {L"NoModify", L"1"}, {L"NoRepair", L"1"}}) {
                EXPECT_EQ(Value(root, kEntry, name), value) << std::filesystem::path(name);
            }
            EXPECT_GE(std::stoul(L"0" + Value(root, kEntry, L"EstimatedSize")), Bytes(exe).size() / 1024);
        }
    }

    const bool family95 = ProgramLaunch() == Launch::Family95;
    const std::wstring dir =
        family95 ? Folder(CSIDL_PROGRAM_FILES) + L"\\nowplaying" : Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\nowplaying";
    const HKEY root = family95 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    // What the first install put in README.txt.
    std::string readme;
};

TEST_F(Setup, InstallsOverTheRunningProgramAndUninstallsWithoutATrace)
{
    const std::wstring setup = L"..\\dist\\nowplaying-" NOWPLAYING_VERSION_TEXT L"-setup.exe";
    // Before each step but the first the installed program is started, and its README.txt
    // changed, as a user may: the step is to end the program and replace or remove both.
    const struct {
        const char* name;
        std::wstring exe;
        bool installed;
    } steps[] = {
        {"install", setup, true},
        {"install over the running program", setup, true},
        {"uninstall the running program", dir + L"\\uninstall.exe", false},
    };
    ASSERT_FALSE(std::filesystem::exists(dir) || Entries(root) > 0) << "an earlier run left an install behind";
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        std::optional<Process> program;
        if (&step != steps) {
            program.emplace(dir + L"\\nowplaying.exe", L"", ProgramLaunch());
            ASSERT_NE(FindProcessWindow(*program, L"nowplaying.frmMain", kAppear), nullptr);
            std::ofstream((dir + L"\\README.txt").c_str()) << "changed";
        }
        Run(step.exe, !step.installed);
        EXPECT_TRUE(!program || !program->Running()) << "the running program was not ended";
        if (readme.empty()) {
            readme = Bytes(dir + L"\\README.txt");
            ASSERT_NE(readme, "");
        }
        ExpectInstalled(step.installed);
    }
}

} // namespace
