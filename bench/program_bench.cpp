// The running program among 100 windows: its CPU time while nothing changes, its
// working set, and the time from a title change to the message's arrival at the
// stand-in messenger.
//
//   program_bench.exe [--idle SECONDS] [--changes N] [--wineserver-pid UNIXPID]
//
// Wine reports, for another process, GetProcessTimes figures that are the caller's
// own; the times of the program's threads are read instead (GetThreadTimes), which
// Wine takes from the kernel for any thread. With --wineserver-pid, the CPU time
// that the Wine server spent meanwhile is read from the host's /proc as well, since
// under Wine part of each system call runs there.

#include "bench/desktop.h"
#include "bench/stats.h"
#include "support/command_line.h"
#include "support/peers.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using support::NowMicroseconds;

ULONGLONG Ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Seconds of CPU (user and kernel) spent by every thread of the process so far.
double ThreadCpuSeconds(DWORD processId)
{
    nowplaying::win32::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return 0;
    }
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    ULONGLONG total = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != processId) {
            continue;
        }
        const nowplaying::win32::UniqueKernelHandle thread(
            OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        FILETIME created, exited, kernel, user;
        if (thread && GetThreadTimes(thread.get(), &created, &exited, &kernel, &user)) {
            total += Ticks(kernel) + Ticks(user);
        }
    }
    return static_cast<double>(total) / 1e7;
}

// What GetProcessTimes says about the process, for comparison.
double ProcessCpuSeconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return static_cast<double>(Ticks(kernel) + Ticks(user)) / 1e7;
}

// CPU seconds of a host process, from /proc/PID/stat through Wine's Z: drive
// (fields 14 and 15, in the kernel's 100 Hz clock ticks); negative when unreadable.
double HostCpuSeconds(const std::wstring& unixPid)
{
    std::ifstream stat((L"Z:\\proc\\" + unixPid + L"\\stat").c_str());
    std::string text;
    if (unixPid.empty() || !std::getline(stat, text)) {
        return -1;
    }
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stoull(field);
        } else if (i == 15) {
            stime = std::stoull(field);
        }
    }
    return static_cast<double>(utime + stime) / 100.0;
}

struct Memory {
    double peakMiB;
    double currentMiB;
};

Memory WorkingSet(DWORD processId)
{
    const nowplaying::win32::UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!process || !GetProcessMemoryInfo(process.get(), &counters, sizeof(counters))) {
        return {0, 0};
    }
    return {static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0),
            static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0)};
}

void MeasureIdle(DWORD programId, DWORD hostId, int seconds, const std::wstring& wineserverPid)
{
    const nowplaying::win32::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, programId));
    const double program0 = ThreadCpuSeconds(programId);
    const double host0 = ThreadCpuSeconds(hostId);
    const double reported0 = ProcessCpuSeconds(process.get());
    const double own0 = ProcessCpuSeconds(GetCurrentProcess());
    const double server0 = HostCpuSeconds(wineserverPid);
    const long long start = NowMicroseconds();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double wall = static_cast<double>(NowMicroseconds() - start) / 1e6;
    const double program = (ThreadCpuSeconds(programId) - program0) / wall * 100;
    const double host = (ThreadCpuSeconds(hostId) - host0) / wall * 100;
    const double reported = (ProcessCpuSeconds(process.get()) - reported0) / wall * 100;
    const double own = (ProcessCpuSeconds(GetCurrentProcess()) - own0) / wall * 100;

    std::printf("\nidle, %.0f s with 100 windows and a song that does not change\n", wall);
    std::printf("  program (its threads' times)          %7.3f %% of one core\n", program);
    std::printf("  program (GetProcessTimes under Wine)  %7.3f %%  (this process's own: %.3f %%)\n", reported, own);
    std::printf("  window host answering the title calls %7.3f %%\n", host);
    bench::Row("5", "idle CPU of the program, 100 windows", bench::Format("%.3f %% of one core", program), "small");
    bench::Row("5", "meanwhile: the window host answering it", bench::Format("%.3f %%", host), "-");
    if (server0 >= 0) {
        const double server = (HostCpuSeconds(wineserverPid) - server0) / wall * 100;
        std::printf("  Wine server (all its clients)         %7.3f %%\n", server);
        bench::Row("5", "meanwhile: the Wine server (all clients)", bench::Format("%.3f %%", server), "-");
    }
}

void MeasureLatency(support::StandInPlayer& player, const support::StandInMessenger& messenger, int changes)
{
    std::mt19937 random(1351);
    std::uniform_int_distribution<int> pause(50, 400);
    std::vector<double> latenciesMs;
    const std::size_t before = messenger.Messages().size();
    for (int i = 1; i <= changes; ++i) {
        const std::wstring song = L"Latency - Song " + std::to_wstring(i);
        const long long changedAt = NowMicroseconds();
        player.SetTitle(std::to_wstring(i) + L". " + song + L" - Winamp");
        if (!messenger.WaitForMessages(before + static_cast<std::size_t>(i), std::chrono::seconds(5))) {
            std::printf("change %d did not arrive within 5 s\n", i);
            return;
        }
        const auto messages = messenger.Messages();
        if (support::SongOf(messages.back()) != song) {
            std::printf("change %d arrived with the wrong payload\n", i);
            return;
        }
        latenciesMs.push_back(static_cast<double>(messages.back().arrivalUs - changedAt) / 1000.0);
        Sleep(static_cast<DWORD>(pause(random))); // spreads the changes over the poll phase
    }
    const double median = bench::Median(latenciesMs);
    const double p99 = bench::Percentile(latenciesMs, 99);
    const double worst = bench::Percentile(latenciesMs, 100);
    std::printf("\nlatency, title change to arrival, over %d changes with 100 windows\n", changes);
    std::printf("  median %.1f ms, 99th percentile %.1f ms, worst %.1f ms, best %.1f ms\n", median, p99, worst,
                bench::Percentile(latenciesMs, 0));
    bench::Row("6", "latency median / p99 / worst (" + std::to_string(changes) + " changes)",
               bench::Format("%.0f", median) + bench::Format(" / %.0f", p99) + bench::Format(" / %.0f ms", worst),
               "<= 250 ms + send");
}

} // namespace

int wmain()
{
    const support::CommandLine args;
    const int idleSeconds = args.Int(L"--idle", 60);
    const int changes = args.Int(L"--changes", 120);
    const std::wstring wineserverPid = args.Value(L"--wineserver-pid", L"");

    bench::WindowHost host(100, false);
    support::StandInPlayer player(L"0. Idle Artist - Idle Song - Winamp");
    support::StandInMessenger messenger;
    support::NowPlaying program;
    if (!host.Ready() || player.Window() == nullptr || messenger.Window() == nullptr || program.Window() == nullptr ||
        !messenger.WaitForMessages(1, std::chrono::seconds(5))) {
        std::printf("the program, its peers or the 100 windows did not start\n");
        return 1;
    }
    Sleep(2000); // past start-up: the window list is filled and the song was sent

    if (idleSeconds > 0) {
        MeasureIdle(program.process().Id(), host.process().Id(), idleSeconds, wineserverPid);
    }
    const Memory idle = WorkingSet(program.process().Id());
    if (changes > 0) {
        MeasureLatency(player, messenger, changes);
    }
    const Memory after = WorkingSet(program.process().Id());
    // A plain window program in the same Wine: what every process costs here.
    DWORD playerId = 0;
    GetWindowThreadProcessId(player.Window(), &playerId);
    const Memory floor = WorkingSet(playerId);
    std::printf("\nworking set under Wine (its DLLs and the Unix libraries behind them included)\n");
    std::printf("  program: %.1f MiB after idling, %.1f MiB at the end, peak %.1f MiB\n", idle.currentMiB,
                after.currentMiB, after.peakMiB);
    std::printf("  stand-in player (a plain window program): peak %.1f MiB\n", floor.peakMiB);
    bench::Row("4", "peak working set under Wine, 100 windows",
               bench::Format("%.1f MiB", after.peakMiB) +
                   bench::Format(" (plain window program: %.1f MiB)", floor.peakMiB),
               "report");
    return 0;
}
