#pragma once
// Starts the real program and the stand-in peers as processes and reads what the
// stand-in messengers recorded. Every wait is bounded.

#include "win32/unique_handle.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::milliseconds;

// Microseconds on the clock the stand-in messenger stamps arrivals with.
long long NowMicroseconds();

// Polls condition every 20 ms until it holds or timeout passes; returns its last value.
bool WaitUntil(const std::function<bool()>& condition, Clock timeout);

std::wstring BinDir();
bool IsWindows95Family();
// A fresh, empty folder for one test's files.
std::wstring NewTempDir();

// How a program starts: by itself, or as the debuggee of family_launcher.exe, which
// makes the system DLLs behave as on the Windows 95 family, or as on NT while it
// counts the W functions the program calls.
enum class Launch { Direct, Family95, FamilyNt };

// How the programs under test (the program and the tray test host) start in this
// run: through the 95-family emulation when NOWPLAYING_EMULATE_95 is 1.
Launch ProgramLaunch();

class Process {
public:
    Process() = default;
    // countsPath: where the launcher lists the W functions the program called.
    Process(const std::wstring& exe, const std::wstring& arguments, Launch launch = Launch::Direct,
            const std::wstring& countsPath = L"");
    ~Process();
    Process(Process&&) = default;
    Process& operator=(Process&&) = default;

    bool Running() const;
    // Waits for the process to end by itself; false when it did not within timeout.
    bool WaitForExit(Clock timeout) const;
    // Ends the program; under the launcher, which then writes its counts and ends too.
    void Kill();
    // The program's own process, also when it runs under the launcher.
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_program ? m_program.get() : m_started.get(); }
    // The exit code once the process has ended; STILL_ACTIVE before. The launcher
    // ends with its program's.
    DWORD ExitCode() const;
    // The launcher the program runs under; null when it runs by itself, or when the
    // launcher ended before its program was seen.
    HANDLE Launcher() const { return m_program ? m_started.get() : nullptr; }

private:
    nowplaying::win32::UniqueKernelHandle m_started;
    nowplaying::win32::UniqueKernelHandle m_program; // under the launcher only
    DWORD m_id = 0;
};

// The top-level window of a process with the given class; null when none appeared
// within timeout or the process ended first.
HWND FindProcessWindow(const Process& process, const wchar_t* className, Clock timeout);
// A visible top-level window of a process with the given class, now; null when none.
HWND VisibleProcessWindow(DWORD processId, const wchar_t* className);

class StandInPlayer {
public:
    explicit StandInPlayer(const std::wstring& title);
    // Sets the title from outside, as a user's player would change it.
    void SetTitle(const std::wstring& title);
    void Close();
    HWND Window() const { return m_window; }

private:
    Process m_process;
    HWND m_window = nullptr;
};

struct Received {
    long long arrivalUs;
    std::uint32_t dwData;
    std::uint32_t cbData;
    std::vector<std::uint8_t> bytes;
};

class StandInMessenger {
public:
    explicit StandInMessenger(bool hang = false, const std::wstring& extraArguments = L"");
    std::vector<Received> Messages() const;
    // Waits until at least count messages arrived.
    bool WaitForMessages(std::size_t count, Clock timeout) const;
    HWND Window() const { return m_window; }
    void Kill() { m_process.Kill(); }

private:
    std::wstring m_logPath;
    Process m_process;
    HWND m_window = nullptr;
};

// The program under test. Started Again while it runs already, it is to end without
// a window of its own, so nothing waits for one.
class NowPlaying {
public:
    enum class Start { Alone, Again };
    explicit NowPlaying(Start start = Start::Alone);
    HWND Window() const { return m_window; }
    Process& process() { return m_process; }

private:
    Process m_process;
    HWND m_window = nullptr;
};

// Geometry and text of another process's windows, read from outside it.
SIZE ClientSize(HWND window);
// A child control's rectangle in its parent's client coordinates; empty when absent.
RECT ControlRect(HWND parent, int controlId);
std::wstring TextOf(HWND window);
// Waits until the window's text equals text; false when it did not within timeout.
bool WaitForText(HWND window, const std::wstring& text, Clock timeout);

// Runs a Unix shell command line (Wine starts native programs too) and returns what
// it printed; nullopt when no output arrived within timeout.
std::optional<std::string> RunUnixShell(const std::string& command, Clock timeout);

// A REG_DWORD value under HKEY_CURRENT_USER set for the object's lifetime; the
// previous value, or its absence, is restored by the destructor.
class ScopedUserDword {
public:
    ScopedUserDword(const wchar_t* key, const wchar_t* name, DWORD value);
    ~ScopedUserDword();
    ScopedUserDword(const ScopedUserDword&) = delete;
    ScopedUserDword& operator=(const ScopedUserDword&) = delete;

private:
    std::wstring m_key;
    std::wstring m_name;
    std::optional<DWORD> m_previous;
};

// Wine's Windows version for one program alone (by its file name), for the life of
// the object.
class EmulatedVersion {
public:
    EmulatedVersion(const wchar_t* exe, const wchar_t* version);
    ~EmulatedVersion();
    EmulatedVersion(const EmulatedVersion&) = delete;
    EmulatedVersion& operator=(const EmulatedVersion&) = delete;

private:
    std::wstring m_key;
};

// The payload bytes the program must send for song.
std::vector<std::uint8_t> ExpectedPayload(const std::wstring& song);

} // namespace e2e
