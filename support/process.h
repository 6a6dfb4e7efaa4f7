#pragma once
// Processes of a test run: the clock they share, bounded waits, and one way to start
// a program, by itself, under the 95-family launcher or as a Unix shell command.
// Every wait is bounded.

#include "clock.h"
#include "family.h"
#include "win32/unique_handle.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace support {

using namespace std::chrono_literals;
using Clock = std::chrono::milliseconds;

// The waits every test shares: a reaction to an input or a change arrives within
// kReact, a program's window or icon appears within kAppear, and kSettle, four poll
// periods, is long enough for any change to have been seen and sent.
inline constexpr Clock kReact = 5s;
inline constexpr Clock kAppear = 10s;
inline constexpr Clock kSettle = 1000ms;

// Lets kSettle pass, before a check that nothing (more) happened.
inline void Settle()
{
    Sleep(static_cast<DWORD>(kSettle.count()));
}

// Polls condition every 20 ms until it holds or timeout passes; returns its last value.
bool WaitUntil(const std::function<bool()>& condition, Clock timeout);

std::wstring BinDir();
// A fresh, empty folder for one test's files; it goes when the test program ends.
std::wstring NewTempDir();

class Process {
public:
    Process() = default;
    // exe: a program of the build's bin folder (or a path from there), or a full path.
    // countsPath: where the launcher lists the W functions the program called.
    // showCommand: the show command the program is started with (SW_SHOWMINNOACTIVE for
    // a shortcut set to run minimized); none without it, as from a command line.
    // failing: a function the launcher makes fail.
    Process(const std::wstring& exe, const std::wstring& arguments, Launch launch = Launch::Direct,
            const std::wstring& countsPath = L"", std::optional<WORD> showCommand = std::nullopt,
            const std::wstring& failing = L"");
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

// Runs a Unix shell command line (Wine starts native programs too) and returns what
// it printed; nullopt when no output arrived within timeout.
std::optional<std::string> RunUnixShell(const std::string& command, Clock timeout);

} // namespace support
