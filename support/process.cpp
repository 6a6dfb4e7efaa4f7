#include "process.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace support {

using nowplaying::win32::UniqueKernelHandle;

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

namespace {
// The folder of one test program's run, which holds every folder NewTempDir makes;
// it goes, with all it holds, when the program ends, after every process it started.
class RunFolder {
public:
    RunFolder()
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path = std::wstring(base) + L"nowplaying-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(NowMicroseconds());
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~RunFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    std::wstring path;
};
} // namespace

std::wstring NewTempDir()
{
    static RunFolder run;
    static int counter = 0;
    const std::wstring dir = run.path + L"\\" + std::to_wstring(++counter);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

namespace {

// Every process of a test run starts here. Wine gives a native Unix program no
// handles, so success is CreateProcess's answer, not a handle in process.
bool StartProcess(std::wstring commandLine, UniqueKernelHandle& process, DWORD& processId,
                  std::optional<WORD> showCommand = std::nullopt)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (showCommand) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = *showCommand;
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    const UniqueKernelHandle thread(info.hThread);
    process.reset(info.hProcess);
    processId = info.dwProcessId;
    return true;
}

// The launcher's child: the program it debugs. Empty when the launcher ended first.
UniqueKernelHandle LaunchedChild(HANDLE launcher, DWORD launcherId, const std::wstring& exe, DWORD& childId)
{
    HANDLE child = nullptr;
    WaitUntil(
        [&] {
            const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
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
    return UniqueKernelHandle(child);
}

} // namespace

Process::Process(const std::wstring& exe, const std::wstring& arguments, Launch launch, const std::wstring& countsPath,
                 std::optional<WORD> showCommand, const std::wstring& failing)
{
    const bool absolute = exe.find(L':') != std::wstring::npos;
    const std::wstring program = L"\"" + (absolute ? exe : BinDir() + L"\\" + exe) + L"\" " + arguments;
    DWORD startedId = 0;
    if (!StartProcess(LaunchCommandLine(program, launch, countsPath, failing), m_started, startedId, showCommand)) {
        ADD_FAILURE() << "cannot start " << std::string(exe.begin(), exe.end()) << " (error " << GetLastError() << ")";
        return;
    }
    m_id = startedId;
    if (launch != Launch::Direct) {
        m_id = 0;
        m_program = LaunchedChild(m_started.get(), startedId, exe.substr(exe.find_last_of(L"\\/") + 1), m_id);
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
    return !m_started || WaitForSingleObject(m_started.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
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

std::optional<std::string> RunUnixShell(const std::string& command, Clock timeout)
{
    // Wine does not connect a native program's output to pipes nor report its exit,
    // so the output goes to a file that appears, renamed, only once it is complete.
    // Z: is the Unix root in every Wine prefix.
    // Windows process IDs come round again from run to run, so the name carries the
    // time too: a file left by an earlier run must never pass for this one's output.
    static int counter = 0;
    const std::string name = "/tmp/nowplaying-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(NowMicroseconds()) + "-" + std::to_string(++counter) + ".out";
    std::string script = "( " + command + " ) >" + name + ".part 2>&1; mv " + name + ".part " + name;
    UniqueKernelHandle shell;
    DWORD shellId = 0;
    if (!StartProcess(L"\"Z:\\bin\\sh\" -c \"" + std::wstring(script.begin(), script.end()) + L"\"", shell, shellId)) {
        return std::nullopt;
    }
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

} // namespace support
