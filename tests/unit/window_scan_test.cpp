#include "player/window_scan.h"

#include "fake_windows.h"

#include <gtest/gtest.h>

#include <string>

namespace nowplaying {
namespace {

using testing::FakeWindowList;

struct CutCase {
    std::u16string title;
    std::u16string song;
};

void PrintTo(const CutCase& cut, std::ostream* os)
{
    *os << ::testing::PrintToString(cut.title);
}

class CuttingRule : public ::testing::TestWithParam<CutCase> {};

TEST_P(CuttingRule, CutsBetweenFirstSpaceAndMarker)
{
    EXPECT_EQ(ExtractSongFromTitle(GetParam().title), GetParam().song);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, CuttingRule,
    ::testing::Values(
        CutCase{u"1. Artist - Title - Winamp", u"Artist - Title"},
        CutCase{u"12. Some Band - Long Song Name - Winamp [Paused]", u"Some Band - Long Song Name"},
        CutCase{u"1. Song - Winamp", u"Song"},
        CutCase{u"Artist - Title - Winamp", u"- Title"},
        CutCase{u"1. a - Winamp - Winamp", u"a"},
        CutCase{u"Winamp 5.08", u""},
        CutCase{u"1. Song - winamp", u""},
        CutCase{u"1. Song - WINAMP", u""},
        CutCase{u"1.  - Winamp", u""},
        // The first space is the marker's own: nothing lies between them.
        CutCase{u"Song - Winamp", u""},
        CutCase{u" - Winamp", u""},
        CutCase{u"", u""},
        CutCase{u"1. 夜明けの歌 - Winamp", u"夜明けの歌"},
        CutCase{u"1. \\0 back\\slash - Winamp", u"\\0 back\\slash"}));

TEST(CandidateWindow, NeedsBothVisibleAndBorder)
{
    EXPECT_TRUE(IsCandidateWindow(0x10C00000));  // visible, captioned
    EXPECT_TRUE(IsCandidateWindow(0x10800000));  // visible, bordered
    EXPECT_FALSE(IsCandidateWindow(0x00C00000)); // hidden
    EXPECT_FALSE(IsCandidateWindow(0x10400000)); // WS_DLGFRAME alone
    EXPECT_FALSE(IsCandidateWindow(0x10000000)); // borderless
    EXPECT_FALSE(IsCandidateWindow(0));          // style unreadable
}

TEST(WindowScan, LowestMatchingWindowInZOrderWins)
{
    FakeWindowList list;
    list.Add(u"1. Top - Winamp");
    list.Add(u"Editor");
    list.Add(u"2. Bottom - Winamp");
    modWinamp scanner;
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"Bottom");
    EXPECT_EQ(scanner.WindowCount(), 3);
}

TEST(WindowScan, SkipsOwnHiddenBorderlessAndUntitledWindows)
{
    FakeWindowList list;
    list.Add(u"1. Visible - Winamp");
    list.Add(u"1. Hidden - Winamp", 0x00C00000);
    list.Add(u"1. Borderless - Winamp", 0x10000000);
    list.Add(u"");
    list.Add(u"1. Own - Winamp");
    const WindowHandle own = list.windows.back().handle;
    modWinamp scanner;
    EXPECT_EQ(scanner.GetCurrentSong(list, own), u"Visible");
    ASSERT_EQ(scanner.WindowCount(), 1);
    EXPECT_EQ(scanner.Entry(0).hWindow, list.windows.front().handle);
}

TEST(WindowScan, NoPlayerGivesEmptySong)
{
    FakeWindowList list;
    modWinamp scanner;
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"");
    list.Add(u"Winamp 5.08");
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"");
    EXPECT_EQ(scanner.WindowCount(), 1);
}

TEST(WindowScan, FullListStoresFirst1001AndStopsReading)
{
    FakeWindowList list;
    for (int i = 0; i < 1500; ++i) {
        list.Add(u"Window " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)));
    }
    list.windows[1000].title = u"1. Last stored - Winamp";
    list.windows[1001].title = u"1. Beyond the list - Winamp";
    modWinamp scanner;
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"Last stored");
    EXPECT_EQ(scanner.WindowCount(), modWinamp::MAX_WINDOW_INDEX + 1);
    EXPECT_EQ(list.titleReads, 1001);
}

TEST(WindowScan, ShorterRescanForgetsEarlierEntries)
{
    FakeWindowList list;
    list.Add(u"Editor");
    list.Add(u"1. Old - Winamp");
    modWinamp scanner;
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"Old");
    list.windows.pop_back();
    EXPECT_EQ(scanner.GetCurrentSong(list, 0), u"");
    EXPECT_EQ(scanner.WindowCount(), 1);
}

} // namespace
} // namespace nowplaying
