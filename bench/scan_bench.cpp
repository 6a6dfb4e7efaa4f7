// The cost of one poll: the program's own scan code and its look for messenger
// windows that appeared since the song was sent, against a bare loop of the system
// calls a scan made before it took a snapshot (a GetWindow chain, the style, the
// title's length and text), over the same windows, timed side by side in alternating
// rounds so that the machine's load falls on both alike. One messenger window, which
// holds the song from the first round on, makes the look the usual two searches.
//
//   scan_bench.exe [--rounds-scale X]
//
// The windows belong to a separate process (window_host.exe), as a desktop's windows
// belong to other programs; a second pass puts them in this very thread, where the
// title calls are cheapest and the scan code's own share shows most.

#include "bench/desktop.h"
#include "bench/stats.h"
#include "messenger/win32_messenger_windows.h"
#include "player/win32_window_list.h"
#include "player/window_scan.h"
#include "support/command_line.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kCandidate = 0x10800000; // WS_VISIBLE | WS_BORDER

double NowSeconds()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct BareResult {
    int walked;
    int stored;
};

// Which of a scan's system calls a walk makes: the bare scan makes them all; the
// others take it apart to show what each call costs.
enum class Calls { Walk, Style, Length, All, NoLength };

// The system calls a scan must make, and nothing else: one walk in Z-order, the
// style of each window, and the length and text of each candidate's title.
template <Calls kCalls = Calls::All>
BareResult BareScan(HWND own)
{
    static std::array<wchar_t, 4096> buffer;
    BareResult result{0, 0};
    for (HWND h = GetWindow(own, GW_HWNDFIRST); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        ++result.walked;
        if (h == own || kCalls == Calls::Walk) {
            continue;
        }
        const auto style = static_cast<std::uint32_t>(GetWindowLongW(h, GWL_STYLE));
        if ((style & kCandidate) != kCandidate || kCalls == Calls::Style) {
            continue;
        }
        int capacity = static_cast<int>(buffer.size());
        if constexpr (kCalls != Calls::NoLength) {
            const int length = GetWindowTextLengthW(h);
            if (length <= 0 || kCalls == Calls::Length) {
                continue;
            }
            capacity = std::min(length + 1, capacity);
        }
        if (GetWindowTextW(h, buffer.data(), capacity) > 0) {
            ++result.stored;
        }
    }
    return result;
}

BOOL CALLBACK AddToSnapshot(HWND h, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(h);
    return TRUE;
}

// The calls of the program's scan, and nothing else: one snapshot, then the style
// of each window and one title copy per candidate.
BareResult BareSnapshotScan(HWND own)
{
    static std::array<wchar_t, 512> buffer;
    static std::vector<HWND> snapshot;
    snapshot.clear();
    EnumWindows(AddToSnapshot, reinterpret_cast<LPARAM>(&snapshot));
    BareResult result{0, 0};
    for (HWND h : snapshot) {
        ++result.walked;
        const auto style = static_cast<std::uint32_t>(GetWindowLongA(h, GWL_STYLE));
        if (h != own && (style & kCandidate) == kCandidate &&
            GetWindowTextW(h, buffer.data(), static_cast<int>(buffer.size())) > 0) {
            ++result.stored;
        }
    }
    return result;
}

template <BareResult (*kScan)(HWND)>
void TimeWalk(HWND own, std::vector<double>& times)
{
    const double start = NowSeconds();
    kScan(own);
    times.push_back((NowSeconds() - start) * 1e6);
}

// Where a scan's time goes, per candidate window: walks that make more and more of
// the calls, interleaved round by round.
void Breakdown(int n, HWND own, int rounds)
{
    std::vector<double> walk, style, length, all, noLength, snapshot;
    for (int round = 0; round < rounds; ++round) {
        TimeWalk<BareScan<Calls::Walk>>(own, walk);
        TimeWalk<BareScan<Calls::Style>>(own, style);
        TimeWalk<BareScan<Calls::Length>>(own, length);
        TimeWalk<BareScan<Calls::All>>(own, all);
        TimeWalk<BareScan<Calls::NoLength>>(own, noLength);
        TimeWalk<BareSnapshotScan>(own, snapshot);
    }
    const double w = bench::Median(walk);
    const double s = bench::Median(style);
    const double l = bench::Median(length);
    const double a = bench::Median(all);
    std::printf("  N=%d, us per window: GetWindow %.1f, GetWindowLongW %.1f, GetWindowTextLengthW %.1f, "
                "GetWindowTextW %.1f; without the length call a scan takes %.0f%% of the time, with one "
                "snapshot instead of the chain too %.0f%%\n",
                n, w / n, (s - w) / n, (l - s) / n, (a - l) / n, bench::Median(noLength) / a * 100,
                bench::Median(snapshot) / a * 100);
}

struct Point {
    int n;
    double productUs;
    double bareUs;
    double ratio;
    int walked;
    double lookUs;
    double scanRatio; // the ratio without the look
};

// Times rounds of both scans, alternating which goes first. With a pause between
// rounds they spread over rounds * pause, so that a few seconds in which the machine
// runs slower (seen: a this-thread poll of 1000 windows taking 1.1 ms, then 1.9 ms)
// weigh on only some of them, and the median passes them over.
Point Measure(int n, HWND own, int rounds, DWORD pauseMs = 0)
{
    auto winamp = std::make_unique<nowplaying::modWinamp>();
    nowplaying::Win32WindowList windows;
    nowplaying::Win32MessengerWindows messengers;
    nowplaying::modMsn::SongHolders holders;
    const auto hOwn = reinterpret_cast<nowplaying::NativeHandle>(own);
    std::vector<double> product;
    std::vector<double> bare;
    std::vector<double> ratios;
    std::vector<double> look;
    std::vector<double> scanRatios;
    BareResult seen{};
    std::u16string_view song;
    for (int round = -3; round < rounds; ++round) {
        if (pauseMs > 0) {
            Sleep(pauseMs);
        }
        double a = 0;
        double b = 0;
        double l = 0;
        for (int half = 0; half < 2; ++half) {
            if ((half == 0) == (round % 2 == 0)) {
                const double start = NowSeconds();
                song = winamp->GetCurrentSong(windows, hOwn);
                const double scanned = NowSeconds();
                nowplaying::modMsn::SendToNewWindows(messengers, song, holders);
                const double end = NowSeconds();
                a = end - start;
                l = end - scanned;
            } else {
                const double start = NowSeconds();
                seen = BareScan(own);
                b = NowSeconds() - start;
            }
        }
        if (round >= 0) { // the first rounds only fill the window list and the caches
            product.push_back(a * 1e6);
            bare.push_back(b * 1e6);
            ratios.push_back(a / b);
            look.push_back(l * 1e6);
            scanRatios.push_back((a - l) / b);
        }
    }
    if (winamp->WindowCount() != seen.stored) {
        std::printf("  N=%d: the last scans stored %d and %d titles\n", n, winamp->WindowCount(), seen.stored);
    }
    if (song != u"Bench Artist - Bench Song") {
        std::printf("  N=%d: the scan did not find the player's song\n", n);
    }
    return {n,           bench::Median(product), bench::Median(bare),      bench::Median(ratios),
            seen.walked, bench::Median(look),    bench::Median(scanRatios)};
}

void Report(const char* where, const std::vector<Point>& points, bool rows)
{
    std::printf("\nwindows in %s\n", where);
    std::printf("  %6s %8s %14s %14s %10s %16s %10s %12s\n", "N", "walked", "poll (us)", "bare (us)", "ratio",
                "poll us/window", "look (us)", "scan ratio");
    std::vector<double> xs;
    std::vector<double> ys;
    for (const Point& p : points) {
        std::printf("  %6d %8d %14.1f %14.1f %10.3f %16.2f %10.1f %12.3f\n", p.n, p.walked, p.productUs, p.bareUs,
                    p.ratio, p.productUs / p.n, p.lookUs, p.scanRatio);
        xs.push_back(p.n);
        ys.push_back(p.productUs);
        if (rows) {
            bench::Row("1", "poll / bare calls of the chained walk, N=" + std::to_string(p.n) + " (" + where + ")",
                       bench::Format("%.3f", p.ratio), p.n == 1000 ? "<= 0.80" : "-");
            bench::Row("1",
                       "of which the look for new messenger windows, N=" + std::to_string(p.n) + " (" + where + ")",
                       bench::Format("%.1f us", p.lookUs) + bench::Format(", the scan alone %.3f", p.scanRatio), "-");
        }
    }
    const bench::LineFit fit = bench::FitLine(xs, ys);
    std::printf("  slope %.2f us per window, intercept %.1f us\n", fit.slope, fit.intercept);
    if (rows) {
        bench::Row("1", std::string("poll slope (") + where + ")",
                   bench::Format("%.2f us/window", fit.slope) + bench::Format(", intercept %.0f us", fit.intercept),
                   "linear in N");
    }
}

LRESULT CALLBACK PlainWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

HWND CreatePlainWindow(const wchar_t* title, DWORD style)
{
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PlainWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"nowplaying.ScanBench";
        return RegisterClassExW(&wc);
    }();
    (void)atom;
    return CreateWindowExW(0, L"nowplaying.ScanBench", title, style, 10, 10, 220, 60, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Hidden, as a messenger's is, so that no scan takes it for a candidate.
HWND CreateMessengerWindow()
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = nowplaying::MESSENGER_WINDOW_CLASS;
    RegisterClassExA(&wc);
    return CreateWindowExA(0, nowplaying::MESSENGER_WINDOW_CLASS, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

// Enough rounds for a stable median at each N, about the same time for each.
int Rounds(int n, double scale)
{
    const int base = n <= 10 ? 300 : n <= 100 ? 100 : 16;
    return std::max(5, static_cast<int>(base * scale));
}

} // namespace

int wmain()
{
    const support::CommandLine args;
    const double scale = std::wcstod(args.Value(L"--rounds-scale", L"1").c_str(), nullptr);
    const std::array<int, 3> sizes = {10, 100, 1000};

    // The program passes its own hidden About window; this one plays that part.
    HWND own = CreatePlainWindow(L"About", WS_POPUP | WS_CAPTION);
    if (CreateMessengerWindow() == nullptr) {
        std::printf("no messenger window\n");
        return 1;
    }

    std::vector<Point> other;
    for (int n : sizes) {
        bench::WindowHost host(n, true);
        if (!host.Ready()) {
            std::printf("window_host.exe did not show %d windows\n", n);
            return 1;
        }
        Sleep(static_cast<DWORD>(1000 + n)); // the X server is still drawing the new windows
        other.push_back(Measure(n, own, Rounds(n, scale)));
        Breakdown(n, own, std::max(5, Rounds(n, scale) / 5));
    }
    Report("another process", other, true);

    std::vector<Point> same;
    std::vector<HWND> mine;
    for (int n : sizes) {
        while (static_cast<int>(mine.size()) < n) {
            const std::wstring title = mine.empty()
                                           ? std::wstring(L"1. Bench Artist - Bench Song - Winamp")
                                           : L"Bench window " + std::to_wstring(mine.size()) + L" - Untitled document";
            // Kept from the window manager as window_host.exe's are.
            HWND window = CreatePlainWindow(title.c_str(), WS_POPUP | WS_BORDER);
            ShowWindow(window, SW_SHOWNOACTIVATE);
            mine.push_back(window);
        }
        PumpMessages();
        Sleep(static_cast<DWORD>(1000 + n));
        PumpMessages();
        // A round here takes 0.4 to 11 ms, so unpaused rounds would all fall within one
        // second; these take about 8 s at each N. Each round then begins, as the program's
        // tick does after its wait, with what a pause leaves of the caches.
        const int rounds = Rounds(n, scale) * (n == 1000 ? 10 : 1);
        same.push_back(Measure(n, own, rounds, static_cast<DWORD>(8000 / rounds)));
        Breakdown(n, own, std::max(5, Rounds(n, scale) / 5));
    }
    Report("this thread", same, true);
    // The windows go with the process: destroying a thousand one by one takes longer
    // than all of the measuring.
    return 0;
}
