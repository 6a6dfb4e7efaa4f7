// The soak: the real program for a long run while the player's title changes every
// 100 ms, or for part of the run every 7 s with the taskbar scroll on, the player
// taking WS_CAPTION off around every write of its title; messengers come and go, one
// hangs for a while, 1500 extra windows exist and the shell's restart message arrives
// every minute. Prints what was delivered, every message that was no change of song
// as a fault, and whether the program's handles and memory grew.
//
//   soak.exe [--minutes M]

#include "support/command_line.h"
#include "support/peers.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace support;

constexpr int kExtraWindows = 1500;
constexpr DWORD kChangeEveryMs = 100;
// A caption of Title's length scrolls its whole cycle in 6.6 s.
constexpr DWORD kChangeWhileScrollingMs = 7000;
constexpr DWORD kShellRestartEveryMs = 60 * 1000;
constexpr DWORD kHangForMs = 20 * 1000;
constexpr long long kEdgeUs = 2 * 1000 * 1000; // ignored at each end of a receiver's life

std::wstring Title(int change)
{
    return std::to_wstring(change % 100) + L". Soak - Change " + std::to_wstring(change) + L" - Winamp";
}

// The change number a message carries, or -1 for anything else.
int ChangeOf(const Received& message)
{
    const std::wstring prefix = L"Soak - Change ";
    const auto song = SongOf(message);
    if (!song || song->compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    return static_cast<int>(std::wcstol(song->c_str() + prefix.size(), nullptr, 10));
}

struct Usage {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};

// The system-wide handle table, for platforms whose GetProcessHandleCount answers 0
// (Wine 8 does).
DWORD CountHandlesInSystemTable(DWORD processId)
{
    struct Entry {
        USHORT processId;
        USHORT creatorBackTraceIndex;
        UCHAR objectType;
        UCHAR attributes;
        USHORT handle;
        PVOID object;
        ULONG grantedAccess;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kSystemHandleInformation = 16;
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    while (query != nullptr && buffer.size() <= (1u << 28)) {
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            ULONG count = 0;
            std::memcpy(&count, buffer.data(), sizeof(count));
            const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
            DWORD mine = 0;
            for (ULONG i = 0; i < count; ++i) {
                mine += entries[i].processId == static_cast<USHORT>(processId) ? 1 : 0;
            }
            return mine;
        }
        buffer.resize(buffer.size() * 4);
    }
    return 0;
}

Usage Measure(HANDLE process)
{
    Usage usage;
    if (!GetProcessHandleCount(process, &usage.handles) || usage.handles == 0) {
        usage.handles = CountHandlesInSystemTable(GetProcessId(process));
    }
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters))) {
        // The commit charge; Wine 8 leaves PrivateUsage at 0 but fills PagefileUsage,
        // which counts the same private committed bytes.
        usage.privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    }
    return usage;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

struct Life {
    long long startUs;
    long long endUs;
};

// A messenger that is started and stopped on a schedule, keeping every life's log.
class Receiver {
public:
    Receiver(const char* name, std::wstring arguments) : m_name(name), m_arguments(std::move(arguments)) {}

    void Start()
    {
        m_current = std::make_unique<StandInMessenger>(false, m_arguments);
        m_lives.push_back({NowMicroseconds(), 0});
    }
    void Stop()
    {
        if (!m_current) {
            return;
        }
        m_lives.back().endUs = NowMicroseconds();
        for (auto& message : m_current->Messages()) {
            m_messages.push_back(std::move(message));
        }
        m_current->Kill();
        m_current.reset();
    }
    bool Live() const { return m_current != nullptr; }
    const char* Name() const { return m_name; }
    const std::vector<Received>& Messages() const { return m_messages; }
    const std::vector<Life>& Lives() const { return m_lives; }

private:
    const char* m_name;
    std::wstring m_arguments;
    std::unique_ptr<StandInMessenger> m_current;
    std::vector<Life> m_lives;
    std::vector<Received> m_messages;
};

struct Verdict {
    std::size_t received = 0;
    std::size_t duplicates = 0;
    std::size_t foreign = 0;
    std::size_t missing = 0;
    std::size_t checked = 0;
    std::size_t empties = 0; // the empty song between two songs: the player missed for a tick
    std::size_t blinks = 0;  // of those, the ones followed by the song before it again
};

// Compares a receiver with the others over the parts of its lives where it was live
// and responsive: every change another receiver got there must have arrived once,
// since the program sends each change to every messenger window.
Verdict Judge(const Receiver& receiver, std::initializer_list<const Receiver*> references,
              const std::vector<Life>& unresponsive)
{
    Verdict verdict;
    std::vector<int> seen;
    const auto& messages = receiver.Messages();
    for (std::size_t i = 1; i + 1 < messages.size(); ++i) {
        const int before = ChangeOf(messages[i - 1]);
        const bool empty = before >= 0 && SongOf(messages[i]) == L"" && ChangeOf(messages[i + 1]) >= 0;
        verdict.empties += empty ? 1 : 0;
        verdict.blinks += empty && ChangeOf(messages[i + 1]) == before ? 1 : 0;
    }
    for (const auto& message : messages) {
        const int change = ChangeOf(message);
        if (change < 0) {
            ++verdict.foreign;
            continue;
        }
        ++verdict.received;
        if (std::find(seen.begin(), seen.end(), change) != seen.end()) {
            ++verdict.duplicates;
        }
        seen.push_back(change);
    }
    for (const Receiver* reference : references) {
        for (const auto& message : reference->Messages()) {
            const long long t = message.arrivalUs;
            const bool covered = std::any_of(receiver.Lives().begin(), receiver.Lives().end(), [&](const Life& life) {
                return t > life.startUs + kEdgeUs && t < life.endUs - kEdgeUs;
            });
            const bool excused = std::any_of(unresponsive.begin(), unresponsive.end(), [&](const Life& gap) {
                return t > gap.startUs - kEdgeUs && t < gap.endUs + kEdgeUs;
            });
            if (!covered || excused || ChangeOf(message) < 0) {
                continue;
            }
            ++verdict.checked;
            if (std::find(seen.begin(), seen.end(), ChangeOf(message)) == seen.end()) {
                ++verdict.missing;
            }
        }
    }
    return verdict;
}

LRESULT CALLBACK ExtraWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

std::vector<HWND> CreateExtraWindows()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ExtraWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"nowplaying.SoakExtraWindow";
    RegisterClassExW(&wc);
    std::vector<HWND> windows;
    for (int i = 0; i < kExtraWindows; ++i) {
        windows.push_back(CreateWindowExW(WS_EX_NOACTIVATE, wc.lpszClassName,
                                          (L"Extra window " + std::to_wstring(i)).c_str(),
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600 + i % 50, 400 + i % 40, 120, 60,
                                          nullptr, nullptr, wc.hInstance, nullptr));
        Pump();
    }
    return windows;
}

} // namespace

int wmain()
{
    const int minutes = std::max(1, CommandLine().Int(L"--minutes", 10));
    const long long totalUs = static_cast<long long>(minutes) * 60 * 1000 * 1000;
    std::printf("soak: %d minute(s), %d extra windows, a title change every %lu ms, or every %lu ms scrolled\n",
                minutes, kExtraWindows, static_cast<unsigned long>(kChangeEveryMs),
                static_cast<unsigned long>(kChangeWhileScrollingMs));
    std::fflush(stdout);

    const std::vector<HWND> extra = CreateExtraWindows();
    int change = 0;
    StandInPlayer player(Title(change), L"--drop-caption");
    Receiver a("A (whole run)", L"");
    Receiver b("B (comes and goes)", L"");
    // C hangs once, for kHangForMs, 30% of the run after it starts.
    const long long cHangAfterUs = totalUs * 3 / 10;
    Receiver c("C (hangs a while)", L"--hang-after " + std::to_wstring(cHangAfterUs / 1000000) + L" --hang-for " +
                                        std::to_wstring(kHangForMs));
    a.Start();
    NowPlaying program;
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    const long long startUs = NowMicroseconds();
    Sleep(3000);
    Pump();
    const Usage atStart = Measure(program.process().Handle());
    long long nextChangeUs = NowMicroseconds();
    long long nextRestartUs = startUs + kShellRestartEveryMs * 1000LL;
    int shellRestarts = 0;
    bool scrolling = false;
    std::size_t scrollSteps = 0;
    std::optional<Life> cHang;

    for (long long now = NowMicroseconds(); now - startUs < totalUs; now = NowMicroseconds()) {
        const double at = static_cast<double>(now - startUs) / static_cast<double>(totalUs);
        const bool bShouldLive = (at >= 0.10 && at < 0.35) || (at >= 0.50 && at < 0.75);
        if (bShouldLive != b.Live()) {
            bShouldLive ? b.Start() : b.Stop();
        }
        const bool cShouldLive = at >= 0.20 && at < 0.90;
        if (cShouldLive && !c.Live() && c.Lives().empty()) {
            c.Start();
            const long long hangStart = c.Lives().back().startUs + cHangAfterUs;
            cHang = Life{hangStart, hangStart + kHangForMs * 1000LL + 1000 * 1000};
        } else if (!cShouldLive && c.Live()) {
            c.Stop();
        }
        const bool scrollNow = (at >= 0.30 && at < 0.50) || at >= 0.80;
        if (now >= nextChangeUs || scrollNow != scrolling) {
            scrollSteps += scrolling ? player.Steps() : 0;
            player.SetTitle(Title(++change));
            if (scrollNow != scrolling) {
                scrolling = scrollNow;
                player.Scroll(scrolling);
            }
            nextChangeUs = now + (scrolling ? kChangeWhileScrollingMs : kChangeEveryMs) * 1000LL;
        }
        if (now >= nextRestartUs) {
            PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
            ++shellRestarts;
            nextRestartUs += kShellRestartEveryMs * 1000LL;
        }
        Pump();
        Sleep(5);
    }
    scrollSteps += scrolling ? player.Steps() : 0;
    Sleep(1000);
    const bool alive = program.process().Running();
    const Usage atEnd = Measure(program.process().Handle());
    a.Stop();
    b.Stop();
    c.Stop();

    const Verdict va = Judge(a, {&b, &c}, {});
    const Verdict vb = Judge(b, {&a}, {});
    const Verdict vc = Judge(c, {&a}, cHang ? std::vector<Life>{*cHang} : std::vector<Life>{});
    std::printf("\n%-22s %9s %10s %8s %8s %8s %6s %12s\n", "receiver", "received", "duplicate", "foreign", "checked",
                "missing", "empty", "empty+again");
    for (const auto& [receiver, verdict] : {std::pair{&a, va}, std::pair{&b, vb}, std::pair{&c, vc}}) {
        std::printf("%-22s %9zu %10zu %8zu %8zu %8zu %6zu %12zu\n", receiver->Name(), verdict.received,
                    verdict.duplicates, verdict.foreign, verdict.checked, verdict.missing, verdict.empties,
                    verdict.blinks);
    }
    std::printf("\ntitle changes made: %d, scroll steps written: %zu, each write with WS_CAPTION taken off and put "
                "back; shell restart broadcasts: %d\n",
                change, scrollSteps, shellRestarts);
    std::printf("A got the empty song between two songs %zu time(s), followed by the same song again %zu time(s), in "
                "%d minute(s)\n",
                va.empties, va.blinks, minutes);
    std::printf("crashes: %d\n", alive ? 0 : 1);
    std::printf("%-16s %10s %10s\n", "program", "start", "end");
    std::printf("%-16s %10lu %10lu\n", "handles", static_cast<unsigned long>(atStart.handles),
                static_cast<unsigned long>(atEnd.handles));
    std::printf("%-16s %10zu %10zu\n", "private bytes", static_cast<std::size_t>(atStart.privateBytes),
                static_cast<std::size_t>(atEnd.privateBytes));

    for (HWND hWnd : extra) {
        DestroyWindow(hWnd);
    }
    const bool delivered = va.duplicates + vb.duplicates + vc.duplicates == 0 &&
                           va.foreign + vb.foreign + vc.foreign == 0 && va.missing + vb.missing + vc.missing == 0 &&
                           va.received > 0 && va.checked > 0;
    const bool steady =
        atEnd.handles <= atStart.handles + 16 && atEnd.privateBytes <= atStart.privateBytes + 1024 * 1024;
    std::printf("\nsoak %s\n", alive && delivered && steady ? "passed" : "FAILED");
    return alive && delivered && steady ? 0 : 1;
}
