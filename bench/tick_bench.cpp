// Native figures for the portable pieces: the allocations of one poll tick over an
// in-memory desktop of 1001 windows (counted by a replaced operator new), and Google
// Benchmark timings of the tick, the cutting rule and the payload.

#include "app/poll_cycle.h"
#include "messenger/now_playing.h"
#include "player/window_scan.h"

#include "support/allocation_counter.h"
#include "tray/notify_icon_data.h"
#include "tray/tray_events.h"
#include "bench/stats.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace nowplaying;

constexpr std::uint32_t kVisibleCaptioned = 0x10C00000; // WS_VISIBLE | WS_CAPTION
constexpr std::size_t kWindows = 1001;
constexpr NativeHandle kOwnWindow = 0xABCD0;

// A desktop in memory: handle i + 1 is window i, topmost first; the player is last.
class MemoryDesktop final : public WindowList {
public:
    MemoryDesktop()
    {
        for (std::size_t i = 0; i + 1 < kWindows; ++i) {
            const std::string text = "Bench window " + std::to_string(i) + " - Untitled document";
            m_titles.emplace_back(text.begin(), text.end());
        }
        m_titles.emplace_back(u"1. Bench Artist - Bench Song - Winamp");
    }

    void SetPlayerTitle(std::u16string_view title) { m_titles.back().assign(title); }

    void Snapshot(std::vector<NativeHandle>& handles) override
    {
        handles.clear();
        for (NativeHandle h = 1; h <= m_titles.size(); ++h) {
            handles.push_back(h);
        }
    }
    std::uint32_t Style(NativeHandle) override { return kVisibleCaptioned; }
    std::size_t ReadTitle(NativeHandle h, std::u16string& title) override
    {
        title.assign(m_titles[h - 1]);
        return title.size();
    }

private:
    std::vector<std::u16string> m_titles;
};

// The label keeps its caption as the program's label does.
class MemoryLabel final : public SongLabel {
public:
    std::u16string_view Caption() const override { return m_caption; }
    void SetCaption(std::u16string_view caption) override { m_caption.assign(caption); }

private:
    std::u16string m_caption;
};

class OneMessenger final : public MessengerWindows {
public:
    NativeHandle FindNext(NativeHandle after) override { return after == 0 ? 0x5000 : 0; }
    void Send(NativeHandle, std::uint32_t, const void* lpData, std::uint32_t cbData) override
    {
        benchmark::DoNotOptimize(lpData);
        bytes += cbData;
    }
    std::size_t bytes = 0;
};

// The program's send: the whole broadcast, payload included.
class Broadcaster final : public SongSender {
public:
    void SendNowPlaying(std::u16string_view song) override { modMsn::SendNowPlaying(messenger, song, holders); }
    OneMessenger messenger;
    modMsn::SongHolders holders;
};

// What one timer tick of the program does.
struct Program {
    modWinamp winamp;
    PollCycle cycle;
    MemoryLabel label;
    Broadcaster sender;

    void Tick(MemoryDesktop& desktop)
    {
        if (!cycle.Tick(winamp.GetCurrentSong(desktop, kOwnWindow), label, sender)) {
            modMsn::SendToNewWindows(sender.messenger, cycle.LastSong(), sender.holders);
        }
    }
};

struct TickAllocations {
    std::size_t first;
    double steady;
    double changed;
};

TickAllocations CountTickAllocations()
{
    constexpr int kTicks = 1000;
    MemoryDesktop desktop;
    auto program = std::make_unique<Program>();
    TickAllocations result{};

    std::size_t before = nowplaying::testing::AllocationCount();
    program->Tick(desktop);
    result.first = nowplaying::testing::AllocationCount() - before;

    before = nowplaying::testing::AllocationCount();
    for (int i = 0; i < kTicks; ++i) {
        program->Tick(desktop);
    }
    result.steady = static_cast<double>(nowplaying::testing::AllocationCount() - before) / kTicks;

    const std::u16string titles[] = {u"2. Bench Artist - Other Song - Winamp",
                                     u"3. Bench Artist - Third Song - Winamp"};
    before = nowplaying::testing::AllocationCount();
    for (int i = 0; i < kTicks; ++i) {
        desktop.SetPlayerTitle(titles[i % 2]);
        program->Tick(desktop);
    }
    result.changed = static_cast<double>(nowplaying::testing::AllocationCount() - before) / kTicks;
    return result;
}

void SteadyTick(benchmark::State& state)
{
    MemoryDesktop desktop;
    auto program = std::make_unique<Program>();
    program->Tick(desktop);
    const std::size_t before = nowplaying::testing::AllocationCount();
    for (auto _ : state) {
        program->Tick(desktop);
    }
    state.counters["allocs/tick"] =
        static_cast<double>(nowplaying::testing::AllocationCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(SteadyTick)->Name("tick, 1001 windows, song unchanged");

void ChangedTick(benchmark::State& state)
{
    MemoryDesktop desktop;
    auto program = std::make_unique<Program>();
    program->Tick(desktop);
    const std::u16string titles[] = {u"2. Bench Artist - Other Song - Winamp",
                                     u"3. Bench Artist - Third Song - Winamp"};
    std::size_t i = 0;
    const std::size_t before = nowplaying::testing::AllocationCount();
    for (auto _ : state) {
        desktop.SetPlayerTitle(titles[++i % 2]);
        program->Tick(desktop);
    }
    state.counters["allocs/tick"] =
        static_cast<double>(nowplaying::testing::AllocationCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(ChangedTick)->Name("tick, 1001 windows, song changed and sent");

void CutTitle(benchmark::State& state, std::u16string title)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(title.data());
        benchmark::DoNotOptimize(ExtractSongFromTitle(title));
    }
}
BENCHMARK_CAPTURE(CutTitle, player, std::u16string(u"12. Some Band - Long Song Name - Winamp [Paused]"))
    ->Name("cut a player title");
BENCHMARK_CAPTURE(CutTitle, other, std::u16string(u"Bench window 123 - Untitled document"))
    ->Name("cut a title without the marker");
BENCHMARK_CAPTURE(CutTitle, scrolled,
                  std::u16string(u"Song Name - Winamp [Paused] *** 12. Some Band - Long Song Name - Winamp [Paused]"))
    ->Name("cut a step of the player's taskbar scroll");

// The most work a title can make: one separator every 15 characters, each after a
// border, so that the title is a scroll step of some 1000 captions.
std::u16string Periodic(std::size_t characters)
{
    std::u16string title = u"x - Winamp";
    while (title.size() + 15 <= characters) {
        title += u" *** x - Winamp";
    }
    return title;
}
BENCHMARK_CAPTURE(CutTitle, worst, Periodic(32000))->Name("cut a 32000-character title of separators");

void BuildPayloadReused(benchmark::State& state)
{
    std::u16string payload;
    for (auto _ : state) {
        modMsn::BuildNowPlayingPayload(u"Some Band - Long Song Name", payload);
        benchmark::DoNotOptimize(payload.data());
    }
}
BENCHMARK(BuildPayloadReused)->Name("build a payload into a kept buffer");

void BuildPayloadFresh(benchmark::State& state)
{
    for (auto _ : state) {
        std::u16string payload = modMsn::BuildNowPlayingPayload(u"Some Band - Long Song Name");
        benchmark::DoNotOptimize(payload.data());
    }
}
BENCHMARK(BuildPayloadFresh)->Name("build a payload (new string)");

// A code page for ASCII text, so that the ANSI packing is measured, not a conversion.
class AsciiCodePage final : public tray::AnsiCodePage {
public:
    std::string ToAnsi(std::u16string_view text) const override { return {text.begin(), text.end()}; }
    std::u16string FromAnsi(std::string_view bytes) const override { return {bytes.begin(), bytes.end()}; }
};

constexpr std::u16string_view kTip = u"MSN 7 Plugin: What im listening to in Winamp.";

void PackTipUnicode(benchmark::State& state)
{
    tray::NotifyIconRecord record(tray::MakeRecordLayout(4, true));
    for (auto _ : state) {
        tray::CopyStringToBytes(kTip, record.Text(tray::TextField::szTip), 256);
        benchmark::DoNotOptimize(record.Bytes().data());
    }
}
BENCHMARK(PackTipUnicode)->Name("pack a tooltip into the Unicode record (936 bytes)");

void PackTipAnsi(benchmark::State& state)
{
    tray::NotifyIconRecord record(tray::MakeRecordLayout(4, false));
    const AsciiCodePage codePage;
    for (auto _ : state) {
        tray::WriteAnsiText(kTip, record.Text(tray::TextField::szTip), codePage);
        benchmark::DoNotOptimize(record.Bytes().data());
    }
}
BENCHMARK(PackTipAnsi)->Name("pack a tooltip into the ANSI record (488 bytes)");

void MapCallbacks(benchmark::State& state)
{
    // The codes a right-click brings, and one that raises nothing.
    constexpr std::uint32_t kCodes[] = {512, 516, 517, 1024};
    for (auto _ : state) {
        for (std::uint32_t code : kCodes) {
            benchmark::DoNotOptimize(tray::MapCallbackCode(code));
        }
    }
    state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(MapCallbacks)->Name("map four callback codes to events");

// The console table as usual, and one summary row per benchmark.
class RowReporter final : public benchmark::ConsoleReporter {
public:
    RowReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") {
                continue;
            }
            std::string value =
                bench::Format("%.1f ", run.GetAdjustedRealTime()) + benchmark::GetTimeUnitString(run.time_unit);
            const auto allocs = run.counters.find("allocs/tick");
            if (allocs != run.counters.end()) {
                value += bench::Format(", %.2f allocations", allocs->second.value);
            }
            bench::Row("3", run.run_name.function_name, value, "-");
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    const TickAllocations allocations = CountTickAllocations();
    std::printf("allocations per tick over %zu windows: first %zu, steady %.2f, changed song %.2f\n\n", kWindows,
                allocations.first, allocations.steady, allocations.changed);
    bench::Row("2", "allocations per steady tick, 1001 windows", bench::Format("%.2f", allocations.steady), "0");
    bench::Row("2", "allocations per tick that sends a new song", bench::Format("%.2f", allocations.changed), "-");

    benchmark::Initialize(&argc, argv);
    RowReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
