#include "player/window_scan.h"

#include "player/title_read.h"

#include "fake_windows.h"
#include "support/named_row.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace nowplaying {
namespace {

using testing::FakeWindowList;

using CutCase = std::pair<std::u16string, std::u16string>; // title, song

class CuttingRule : public ::testing::TestWithParam<CutCase> {};

TEST_P(CuttingRule, GivesTheSongOfThePlayersCaption)
{
    EXPECT_EQ(ExtractSongFromTitle(GetParam().first), GetParam().second);
}

// Scroll steps 0, 1, 2, L - 1, L, L + 1 and L + 2 of a caption of L characters.
INSTANTIATE_TEST_SUITE_P(
    Titles, CuttingRule,
    ::testing::Values(CutCase{u"1. Artist - Title - Winamp", u"Artist - Title"},
                      CutCase{u"12. Some Band - Long Song Name - Winamp [Paused]", u"Some Band - Long Song Name"},
                      CutCase{u"1. Song - Winamp", u"Song"}, CutCase{u"Artist - Title - Winamp", u"Artist - Title"},
                      CutCase{u"Pink Floyd - Money - Winamp [Stopped]", u"Pink Floyd - Money"},
                      CutCase{u"1. a - Winamp - Winamp", u"a"}, CutCase{u"Winamp 5.9.2 Build 10042", u""},
                      CutCase{u"1. Song - winamp", u""}, CutCase{u"1. Song - WINAMP", u""},
                      CutCase{u"1.  - Winamp", u""}, CutCase{u"Solo - Winamp", u"Solo"},
                      CutCase{u"1.Song - Winamp", u"1.Song"}, CutCase{u" - Winamp", u""}, CutCase{u"", u""},
                      CutCase{u"1. 夜明けの歌 - Winamp", u"夜明けの歌"},
                      CutCase{u"1. \\0 back\\slash - Winamp", u"\\0 back\\slash"},
                      CutCase{u"1. A - B - Winamp *** 1. A - B - Winamp", u"A - B"},
                      CutCase{u". A - B - Winamp *** 1. A - B - Winamp", u"A - B"},
                      CutCase{u"A - B - Winamp *** 1. A - B - Winamp", u"A - B"},
                      CutCase{u"p *** 1. A - B - Winamp", u"A - B"}, CutCase{u" *** 1. A - B - Winamp *** ", u"A - B"},
                      CutCase{u"*** 1. A - B - Winamp *** ", u"A - B"}, CutCase{u"** 1. A - B - Winamp *** ", u"A - B"},
                      CutCase{u"st - T - Winamp [Paused] *** Artist - T - Winamp [Paused]", u"Artist - T"},
                      CutCase{u"5.9.2 Build 10042 *** Winamp 5.9.2 Build 10042", u""},
                      CutCase{u"1. Ab *** Cd - Winamp", u"Ab *** Cd"},
                      CutCase{u"b *** Cd - Winamp *** 1. Ab *** Cd - Winamp", u"Ab *** Cd"},
                      CutCase{u"*** 1. Ab *** Cd - Winamp *** ", u"Ab *** Cd"}));

TEST(CandidateWindow, NeedsBothVisibleAndBorder)
{
    EXPECT_TRUE(IsCandidateWindow(0x10C00000));  // visible, captioned
    EXPECT_TRUE(IsCandidateWindow(0x10800000));  // visible, bordered
    EXPECT_FALSE(IsCandidateWindow(0x00C00000)); // hidden
    EXPECT_FALSE(IsCandidateWindow(0x10400000)); // WS_DLGFRAME alone
    EXPECT_FALSE(IsCandidateWindow(0x10000000)); // borderless
    EXPECT_FALSE(IsCandidateWindow(0));          // style unreadable
}

class WindowScan : public ::testing::Test {
protected:
    FakeWindowList list;
    modWinamp scanner;
};

TEST_F(WindowScan, LowestMatchingWindowInZOrderWins)
{
    list.Add(u"1. Top - Winamp");
    list.Add(u"Editor");
    list.Add(u"2. Bottom - Winamp");
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"Bottom");
    EXPECT_EQ(scanner.WindowCount(), 3);
}

TEST_F(WindowScan, SkipsOwnHiddenBorderlessAndUntitledWindows)
{
    list.Add(u"1. Visible - Winamp");
    list.Add(u"1. Hidden - Winamp", 0x00C00000);
    list.Add(u"1. Borderless - Winamp", 0x10000000);
    list.Add(u"");
    list.Add(u"1. Own - Winamp");
    const NativeHandle own = list.windows.back().handle;
    EXPECT_EQ(scanner.GetCurrentSong(list, own), u"Visible");
    ASSERT_EQ(scanner.WindowCount(), 1);
    EXPECT_EQ(scanner.Entry(0).hWindow, list.windows.front().handle);
}

TEST_F(WindowScan, NoPlayerGivesEmptySong)
{
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"");
    list.Add(u"Winamp 5.08");
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"");
    EXPECT_EQ(scanner.WindowCount(), 1);
}

// 1500 candidates: the list keeps the first 1001, and the player may be below them.
struct CrowdedCase : support::NamedRow {
    std::vector<std::pair<std::size_t, std::u16string>> players; // candidate index, title
    std::u16string song;
};

class CrowdedDesktop : public WindowScan, public ::testing::WithParamInterface<CrowdedCase> {};

TEST_P(CrowdedDesktop, ListKeeps1001AndTheLowestPlayerStillWins)
{
    for (int i = 0; i < 1500; ++i) {
        list.Add(u"Window " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)));
    }
    for (const auto& [index, title] : GetParam().players) {
        list.windows[index].title = title;
    }
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), GetParam().song);
    EXPECT_EQ(scanner.WindowCount(), modWinamp::MAX_WINDOW_INDEX + 1);
    EXPECT_EQ(scanner.Entry(modWinamp::MAX_WINDOW_INDEX).sWindowTitle, list.windows[1000].title);
    EXPECT_EQ(list.titleReads, 1500);
    for (const auto& [index, title] : GetParam().players) {
        list.windows[index].title = u"Editor";
    }
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"") << "the player that left is forgotten";
}

INSTANTIATE_TEST_SUITE_P(
    Players, CrowdedDesktop,
    ::testing::Values(CrowdedCase{{"LastStoredThenFirstBeyond"},
                                  {{1000, u"1. Last stored - Winamp"}, {1001, u"1. Beyond - Winamp"}},
                                  u"Beyond"},
                      CrowdedCase{
                          {"LowerOfTwoBeyond"}, {{1100, u"1. Higher - Winamp"}, {1499, u"1. Low - Winamp"}}, u"Low"},
                      CrowdedCase{{"EmptySongBeyond"}, {{5, u"1. Stored - Winamp"}, {1200, u"1.  - Winamp"}}, u""}),
    support::RowName);

TEST_F(WindowScan, ShorterRescanForgetsEarlierEntries)
{
    list.Add(u"Editor");
    list.Add(u"1. Old - Winamp");
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"Old");
    list.windows.pop_back();
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"");
    EXPECT_EQ(scanner.WindowCount(), 1);
}

// A window whose title changes as the calls go: titles[i] from the i-th call on.
struct ScriptedTitle final : TitleCalls {
    std::vector<std::u16string> titles;
    std::vector<std::string> calls;

    const std::u16string& Now() const { return titles[std::min(calls.size(), titles.size() - 1)]; }
    int CopyTitle(NativeHandle, std::u16string& title, int capacity) override
    {
        title = Now().substr(0, static_cast<std::size_t>(capacity) - 1);
        calls.push_back("copy " + std::to_string(capacity));
        return static_cast<int>(title.size());
    }
    int TitleLength(NativeHandle) override
    {
        const int length = static_cast<int>(Now().size());
        calls.push_back("length");
        return length;
    }
};

std::u16string Chars(std::size_t count)
{
    return std::u16string(count, u'x');
}

struct TitleReadCase : support::NamedRow {
    std::vector<std::u16string> titles;
    std::u16string read;
    std::vector<std::string> calls;
    std::vector<std::string> callsNextTime; // reading the last title again
};

class TitleRead : public ::testing::TestWithParam<TitleReadCase> {};

TEST_P(TitleRead, OneCopyWhileItFitsAndOnlyWholeTitles)
{
    ScriptedTitle window;
    window.titles = GetParam().titles;
    TitleReader reader;
    std::u16string title = u"left from an earlier read";
    EXPECT_EQ(reader.Read(window, 1, title), GetParam().read.size());
    EXPECT_EQ(title, GetParam().read);
    EXPECT_EQ(window.calls, GetParam().calls);

    window.titles = {window.titles.back()};
    window.calls.clear();
    reader.Read(window, 1, title);
    EXPECT_EQ(window.calls, GetParam().callsNextTime);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, TitleRead,
    ::testing::Values(
        TitleReadCase{{"Fits"}, {u"1. Song - Winamp"}, u"1. Song - Winamp", {"copy 512"}, {"copy 512"}},
        TitleReadCase{
            {"LongerThanTheBuffer"}, {Chars(600)}, Chars(600), {"copy 512", "length", "copy 602"}, {"copy 602"}},
        TitleReadCase{{"LongerThanTheKeptBound"},
                      {Chars(32000)},
                      Chars(32000),
                      {"copy 512", "length", "copy 32002"},
                      {"copy 4096", "length", "copy 32002"}},
        TitleReadCase{{"GrowsBeforeTheSecondCopy"},
                      {Chars(600), Chars(600), Chars(700)},
                      Chars(700),
                      {"copy 512", "length", "copy 602", "length", "copy 702"},
                      {"copy 702"}},
        TitleReadCase{{"ShrinksAfterAFullCopy"},
                      {Chars(600), u"1. S - Winamp"},
                      u"1. S - Winamp",
                      {"copy 512", "length", "copy 15"},
                      {"copy 512"}},
        TitleReadCase{{"GoneAfterAFullCopy"}, {Chars(600), u""}, u"", {"copy 512", "length"}, {"copy 512"}},
        TitleReadCase{{"GrowsAtEveryCopy"},
                      {Chars(600), Chars(600), Chars(700), Chars(700), Chars(800), Chars(800), Chars(900)},
                      u"",
                      {"copy 512", "length", "copy 602", "length", "copy 702", "length", "copy 802"},
                      {"copy 802", "length", "copy 902"}}),
    support::RowName);

} // namespace
} // namespace nowplaying
