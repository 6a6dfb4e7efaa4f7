#include "harness.h"

#include "peers/clock.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace e2e {

long long NowMicroseconds()
{
    return peers::NowMicroseconds();
}

bool WaitUntil(const std::function<bool()>& condition, Clock timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        Sleep(20);
    }
    return true;
}

std::wstring BinDir()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

bool IsWindows95Family()
{
    return (GetVersion() & 0x80000000u) != 0;
}

std::wstring NewTempDir()
{
    static int counter = 0;
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring dir = std::wstring(base) + L"nowplaying-e2e-" + std::to_wstring(NowMicroseconds()) +
                             L"-" + std::to_wstring(++counter);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

Launch ProgramLaunch()
{
    wchar_t value[8] = {};
    const DWORD length = GetEnvironmentVariableW(L"NOWPLAYING_EMULATE_95", value, 8);
    return length == 1 && value[0] == L'1' ? Launch::Family95 : Launch::Direct;
}

namespace {

// The launcher's child: the program it debugs. Empty when the launcher ended first.
nowplaying::win32::UniqueKernelHandle LaunchedChild(HANDLE launcher, DWORD launcherId, const std::wstring& exe,
                                                    DWORD& childId)
{
    HANDLE child = nullptr;
    WaitUntil(
        [&] {
            const nowplaying::win32::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
            PROCESSENTRY32W entry{};
            entry.dwSize = sizeof(entry);
            for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && child == nullptr;
                 more = Process32NextW(snapshot.get(), &entry)) {
                if (entry.th32ParentProcessID == launcherId && _wcsicmp(entry.szExeFile, exe.c_str()) == 0) {
                    child = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                        FALSE, entry.th32ProcessID);
                    childId = entry.th32ProcessID;
                }
            }
            return child != nullptr || WaitForSingleObject(launcher, 0) == WAIT_OBJECT_0;
        },
        10s);
    return nowplaying::win32::UniqueKernelHandle(child);
}

} // namespace

Process::Process(const std::wstring& exe, const std::wstring& arguments, Launch launch,
                 const std::wstring& countsPath)
{
    const std::wstring program = L"\"" + BinDir() + L"\\" + exe + L"\" " + arguments;
    std::wstring commandLine = program;
    if (launch != Launch::Direct) {
        commandLine = L"\"" + BinDir() + L"\\family_launcher.exe\" --family " +
                      (launch == Launch::Family95 ? L"95" : L"nt") +
                      (countsPath.empty() ? L"" : L" --counts \"" + countsPath + L"\"") + L" " + program;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        ADD_FAILURE() << "cannot start " << std::string(exe.begin(), exe.end());
        return;
    }
    CloseHandle(info.hThread);
    m_started.reset(info.hProcess);
    m_id = info.dwProcessId;
    if (launch != Launch::Direct) {
        m_id = 0;
        m_program = LaunchedChild(m_started.get(), info.dwProcessId, exe, m_id);
    }
}

Process::~Process()
{
    Kill();
}

bool Process::Running() const
{
    return m_started && WaitForSingleObject(m_started.get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(Clock timeout) const
{
    return !m_started ||
           WaitForSingleObject(m_started.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (m_started) {
        GetExitCodeProcess(m_started.get(), &code);
    }
    return code;
}

void Process::Kill()
{
    if (Running()) {
        TerminateProcess(Handle(), 1);
        if (WaitForSingleObject(m_started.get(), 5000) == WAIT_TIMEOUT) {
            TerminateProcess(m_started.get(), 1);
            WaitForSingleObject(m_started.get(), 5000);
        }
    }
}

namespace {
struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hWnd, &owner);
    wchar_t className[256];
    if (owner == search->processId && (!search->visibleOnly || IsWindowVisible(hWnd)) &&
        GetClassNameW(hWnd, className, 256) > 0 && std::wstring(className) == search->className) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND FindProcessWindow(const Process& process, const wchar_t* className, Clock timeout)
{
    WindowSearch search{process.Id(), className, false, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr || !process.Running();
        },
        timeout);
    return search.found;
}

HWND VisibleProcessWindow(DWORD processId, const wchar_t* className)
{
    WindowSearch search{processId, className, true, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

StandInPlayer::StandInPlayer(const std::wstring& title)
    : m_process(L"standin_player.exe", L"--title \"" + title + L"\"")
{
    m_window = FindProcessWindow(m_process, L"nowplaying.StandInPlayer", 10s);
    EXPECT_NE(m_window, nullptr) << "the stand-in player's window did not appear";
}

void StandInPlayer::SetTitle(const std::wstring& title)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(m_window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()),
                        SMTO_ABORTIFHUNG, 2000, &result);
}

void StandInPlayer::Close()
{
    PostMessageW(m_window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(m_process.WaitForExit(5s)) << "the stand-in player did not close";
}

StandInMessenger::StandInMessenger(bool hang, const std::wstring& extraArguments)
    : m_logPath(NewTempDir() + L"\\messenger.log"),
      m_process(L"standin_messenger.exe",
                L"--log \"" + m_logPath + L"\"" + (hang ? L" --hang " : L" ") + extraArguments)
{
    m_window = FindProcessWindow(m_process, L"MsnMsgrUIManager", 10s);
    EXPECT_NE(m_window, nullptr) << "the stand-in messenger's window did not appear";
}

std::vector<Received> StandInMessenger::Messages() const
{
    std::vector<Received> messages;
    std::ifstream log(m_logPath.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(log, line)) {
        std::istringstream fields(line);
        std::string kind;
        Received message{};
        std::string hex;
        fields >> kind;
        if (kind != "msg" || !(fields >> message.arrivalUs >> message.dwData >> message.cbData)) {
            continue;
        }
        fields >> hex;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            message.bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        }
        messages.push_back(std::move(message));
    }
    return messages;
}

bool StandInMessenger::WaitForMessages(std::size_t count, Clock timeout) const
{
    return WaitUntil([&] { return Messages().size() >= count; }, timeout);
}

NowPlaying::NowPlaying(Start start) : m_process(L"nowplaying.exe", L"", ProgramLaunch())
{
    if (start == Start::Again) {
        return;
    }
    m_window = FindProcessWindow(m_process, L"nowplaying.frmMain", 10s);
    EXPECT_NE(m_window, nullptr) << "the program's window did not appear";
}

SIZE ClientSize(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

RECT ControlRect(HWND parent, int controlId)
{
    RECT rect{};
    const HWND control = GetDlgItem(parent, controlId);
    if (control != nullptr && GetWindowRect(control, &rect)) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[1024];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                             &length)) {
        return L"(no answer)";
    }
    return std::wstring(text, length);
}

bool WaitForText(HWND window, const std::wstring& text, Clock timeout)
{
    return WaitUntil([&] { return TextOf(window) == text; }, timeout);
}

std::optional<std::string> RunUnixShell(const std::string& command, Clock timeout)
{
    // Wine does not connect a native program's output to pipes nor report its exit,
    // so the output goes to a file that appears, renamed, only once it is complete.
    // Z: is the Unix root in every Wine prefix.
    static int counter = 0;
    const std::string name = "/tmp/nowplaying-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++counter) + ".out";
    std::string script = "( " + command + " ) >" + name + ".part 2>&1; mv " + name + ".part " + name;
    std::wstring commandLine = L"\"Z:\\bin\\sh\" -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return std::nullopt;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::wstring windowsName = L"Z:" + std::wstring(name.begin(), name.end());
    for (wchar_t& c : windowsName) {
        c = c == L'/' ? L'\\' : c;
    }
    std::optional<std::string> output;
    WaitUntil(
        [&] {
            std::ifstream file(windowsName.c_str(), std::ios::binary);
            if (!file) {
                return false;
            }
            output = std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            return true;
        },
        timeout);
    DeleteFileW(windowsName.c_str());
    return output;
}

ScopedUserDword::ScopedUserDword(const wchar_t* key, const wchar_t* name, DWORD value) : m_key(key), m_name(name)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open the registry key";
        return;
    }
    DWORD previous = 0;
    DWORD type = 0;
    DWORD size = sizeof(previous);
    if (RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&previous), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD) {
        m_previous = previous;
    }
    EXPECT_EQ(RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
              ERROR_SUCCESS);
    RegCloseKey(handle);
}

ScopedUserDword::~ScopedUserDword()
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) {
        return;
    }
    if (m_previous) {
        const DWORD previous = *m_previous;
        RegSetValueExW(handle, m_name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous),
                       sizeof(previous));
    } else {
        RegDeleteValueW(handle, m_name.c_str());
    }
    RegCloseKey(handle);
}

EmulatedVersion::EmulatedVersion(const wchar_t* exe, const wchar_t* version)
    : m_key(std::wstring(L"Software\\Wine\\AppDefaults\\") + exe)
{
    HKEY key = nullptr;
    const LONG created =
        RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    EXPECT_EQ(created, ERROR_SUCCESS);
    if (created == ERROR_SUCCESS) {
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>((std::wcslen(version) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

EmulatedVersion::~EmulatedVersion()
{
    RegDeleteKeyW(HKEY_CURRENT_USER, m_key.c_str());
}

std::vector<std::uint8_t> ExpectedPayload(const std::wstring& song)
{
    const std::wstring text = L"\\0Music\\0\\0" + song + L"\\0\\0\\0\\0\\0" + std::wstring(1, L'\0');
    std::vector<std::uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

} // namespace e2e
