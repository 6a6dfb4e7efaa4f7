// The real program with the stand-in player and messengers, each its own process.

#include "support/peers.h"
#include "win32/api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

using namespace support;

using Spine = PlayerTest;

TEST_F(Spine, NoPlayerAtStartSendsNothing)
{
    messenger.emplace();
    program.emplace();
    Sleep(static_cast<DWORD>(2 * kSettle.count()));
    EXPECT_TRUE(messenger->Messages().empty());

    player.emplace(L"1. Late Starter - First Song - Winamp");
    ASSERT_TRUE(messenger->WaitForMessages(1, kReact));
    EXPECT_EQ(SongOf(messenger->Messages()[0]), L"Late Starter - First Song");
}

TEST_F(Spine, FirstSongReachesEachReceiverOnceByteExact)
{
    player.emplace(L"1. Artist - Title - Winamp");
    StandInMessenger first;
    StandInMessenger second;
    program.emplace();
    ASSERT_TRUE(first.WaitForMessages(1, kReact));
    ASSERT_TRUE(second.WaitForMessages(1, kReact));
    Settle();
    for (const StandInMessenger* receiver : {&first, &second}) {
        const auto messages = receiver->Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].dwData, 1351u);
        EXPECT_EQ(messages[0].cbData, 44u + 2u * 14u);
        EXPECT_EQ(SongOf(messages[0]), L"Artist - Title");
    }
}

TEST_F(Spine, TitleChangeSendsOnceAndStateSuffixSendsNothing)
{
    ASSERT_TRUE(Start(L"1. A - One - Winamp"));
    StandInMessenger late; // signed in after the song was sent
    ASSERT_TRUE(late.WaitForMessages(1, kReact));
    EXPECT_EQ(SongOf(late.Messages()[0]), L"A - One");

    player->SetTitle(L"2. B - Two - Winamp");
    ASSERT_TRUE(messenger->WaitForMessages(2, kReact));
    player->SetTitle(L"2. B - Two - Winamp [Paused]");
    Settle();
    const auto messages = messenger->Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(SongOf(messages[1]), L"B - Two");
    EXPECT_EQ(late.Messages().size(), 2u);
}

TEST_F(Spine, ClosingThePlayerSendsTheEmptySongOnce)
{
    ASSERT_TRUE(Start(L"1. A - One - Winamp"));
    player->Close();
    ASSERT_TRUE(messenger->WaitForMessages(2, kReact));
    StandInMessenger late; // has nothing to learn
    Settle();
    const auto messages = messenger->Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].cbData, 44u);
    EXPECT_EQ(SongOf(messages[1]), L"");
    EXPECT_TRUE(late.Messages().empty());
}

// Whether the system's ANSI code page holds every character of text.
bool FitsAnsiCodePage(const std::wstring& text)
{
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                        &lost);
    return lost == FALSE;
}

// On the 95 family titles pass the ANSI code page: there the songs that it holds must
// arrive intact, and at least one of them is tried.
TEST_F(Spine, TitlesBeyondAsciiArriveIntact)
{
    const std::wstring songs[] = {
        L"\u00C6r\u00F8sk\u00F8bing Brass - Caf\u00E9 f\u00FCr Zo\u00EB",
        L"\u041A\u0438\u043D\u043E - \u0413\u0440\u0443\u043F\u043F\u0430 \u043A\u0440\u043E\u0432\u0438",
        L"\u0391\u03C1\u03B9\u03C3\u03C4\u03B5\u03C1\u03AC - \u039C\u03B5\u03BB\u03C9\u03B4\u03AF\u03B1",
        L"架空の楽団 - 夜明けの歌 🎵",
    };
    ASSERT_TRUE(Start(L"1. Plain - Song - Winamp"));
    std::size_t expected = 1;
    for (const std::wstring& song : songs) {
        if (nowplaying::win32::UsesAnsiFunctions() && !FitsAnsiCodePage(song)) {
            continue;
        }
        player->SetTitle(L"3. " + song + L" - Winamp");
        ASSERT_TRUE(messenger->WaitForMessages(++expected, kReact));
        EXPECT_EQ(SongOf(messenger->Messages().back()), song);
    }
    EXPECT_GT(expected, 1u) << "the ANSI code page " << GetACP() << " holds none of the songs";
    std::printf("%zu songs beyond ASCII tried, ANSI code page %u\n", expected - 1, GetACP());
}

// Whether a comes before b in the Z-order, topmost first, as the program's walk meets them.
bool Above(HWND a, HWND b)
{
    for (HWND h = GetTopWindow(nullptr); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == a || h == b) {
            return h == a;
        }
    }
    return false;
}

// Of two players the one lower in Z-order is followed.
TEST_F(Spine, OfTwoPlayersTheLowerInZOrderWins)
{
    StandInPlayer first(L"1. First - Song - Winamp");
    StandInPlayer second(L"2. Second - Song - Winamp");
    messenger.emplace();
    program.emplace();
    ASSERT_TRUE(messenger->WaitForMessages(1, kReact));
    const bool firstAbove = Above(first.Window(), second.Window());
    EXPECT_EQ(SongOf(messenger->Messages()[0]), std::wstring(firstAbove ? L"Second - Song" : L"First - Song"))
        << "the player " << (firstAbove ? "opened first" : "opened second") << " is the upper one";
}

// The hung receiver is created first, so the search finds it after the live one
// only if Z-order says so; either way the live one and the next change must not
// wait longer than the send's time bound per hung window. Each change is made just
// after the live message, while the program waits on the hung one, and the tick it
// owes runs as soon as that send gives up: the bound leaves 400 ms of slack above the
// program's 1000 ms, so that a send waiting 1500 ms fails.
TEST_F(Spine, HungReceiverDelaysOthersAtMostItsTimeBound)
{
    player.emplace(L"1. A - One - Winamp");
    StandInMessenger hung(true);
    StandInMessenger live;
    program.emplace();
    ASSERT_TRUE(live.WaitForMessages(1, kReact));
    ASSERT_TRUE(hung.WaitForMessages(1, kReact));

    constexpr long long kBoundUs = 1000 * 1000 + 400 * 1000; // send bound + slack
    for (int change = 0; change < 3; ++change) {
        const long long changedAt = NowMicroseconds();
        player->SetTitle(L"1. A - Change " + std::to_wstring(change) + L" - Winamp");
        ASSERT_TRUE(live.WaitForMessages(2 + static_cast<std::size_t>(change), kReact));
        const long long latency = live.Messages().back().arrivalUs - changedAt;
        std::printf("change %d with a hung receiver: %.0f ms\n", change, latency / 1000.0);
        EXPECT_LT(latency, kBoundUs);
    }
    EXPECT_EQ(hung.Messages().size(), 1u) << "the hung receiver is still inside its first message";
}

// The user brings the player to the front and sends it to the back, again and again,
// while the program polls: no tick may miss it and tell the messenger the song ended.
// NOWPLAYING_RESTACK_SECONDS (5) sets how long.
TEST_F(Spine, RestackedPlayerIsNeverMissed)
{
    wchar_t seconds[16] = L"5";
    GetEnvironmentVariableW(L"NOWPLAYING_RESTACK_SECONDS", seconds, 16);
    ASSERT_TRUE(Start(L"1. Restacked - Song - Winamp"));

    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::wcstol(seconds, nullptr, 10));
    int restacks = 0;
    for (; std::chrono::steady_clock::now() < until; ++restacks) {
        SetWindowPos(player->Window(), restacks % 2 == 0 ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    Settle();
    const auto messages = messenger->Messages();
    const auto empty =
        std::count_if(messages.begin(), messages.end(), [](const Received& m) { return SongOf(m) == L""; });
    std::printf("%d restacks in %ls s: %d empty songs among %d messages\n", restacks, seconds, static_cast<int>(empty),
                static_cast<int>(messages.size()));
    EXPECT_EQ(empty, 0);
    EXPECT_EQ(messages.size(), 1u);
}

// A title that changes every 100 ms is read at every tick, so the number of songs
// that reach the messenger tells the poll period: 16 in 4 s at 250 ms, 8 at 500 ms.
TEST_F(Spine, LatencyShowsInHowManyFastChangesArrive)
{
    ASSERT_TRUE(Start(L"0. Fast - Change 0 - Winamp"));

    const auto until = std::chrono::steady_clock::now() + 4s;
    for (int i = 1; std::chrono::steady_clock::now() < until; ++i) {
        player->SetTitle(std::to_wstring(i) + L". Fast - Change " + std::to_wstring(i) + L" - Winamp");
        Sleep(100);
    }
    const std::size_t arrived = messenger->Messages().size() - 1;
    std::printf("%zu songs of a title changing every 100 ms arrived in 4 s\n", arrived);
    EXPECT_GE(arrived, 12u) << "the program polls more slowly than every 250 ms";
}

TEST_F(Spine, LatencyFromTitleChangeToArrival)
{
    ASSERT_TRUE(Start(L"0. Warm-up - Song - Winamp"));

    constexpr int kChanges = 24;
    std::vector<double> latenciesMs;
    for (int i = 1; i <= kChanges; ++i) {
        const long long changedAt = NowMicroseconds();
        player->SetTitle(std::to_wstring(i) + L". Latency - Song " + std::to_wstring(i) + L" - Winamp");
        ASSERT_TRUE(messenger->WaitForMessages(1 + static_cast<std::size_t>(i), kReact));
        const auto messages = messenger->Messages();
        EXPECT_EQ(SongOf(messages.back()), L"Latency - Song " + std::to_wstring(i));
        latenciesMs.push_back((messages.back().arrivalUs - changedAt) / 1000.0);
        Sleep(100 + static_cast<DWORD>(i * 37 % 200)); // spread the changes over the poll phase
    }
    EXPECT_EQ(messenger->Messages().size(), static_cast<std::size_t>(kChanges) + 1);
    std::sort(latenciesMs.begin(), latenciesMs.end());
    std::printf("title change to arrival over %d changes: median %.1f ms, worst %.1f ms\n", kChanges,
                latenciesMs[latenciesMs.size() / 2], latenciesMs.back());
    RecordProperty("latency_median_ms", static_cast<int>(latenciesMs[latenciesMs.size() / 2]));
    RecordProperty("latency_worst_ms", static_cast<int>(latenciesMs.back()));
}

} // namespace
