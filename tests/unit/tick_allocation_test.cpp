// A tick whose song did not change, its look for new messenger windows included, must
// not touch the heap once the window list has been filled: the program does it four
// times a second for as long as it runs.

#include "app/poll_cycle.h"
#include "player/window_scan.h"

#include "support/allocation_counter.h"
#include "support/named_row.h"
#include "fake_windows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace nowplaying {
namespace {

using testing::FakeWindowList;

struct Desktop : support::NamedRow {
    int windows; // titled candidates besides the player
    bool player; // a player title on top
};

class SteadyTick : public ::testing::TestWithParam<Desktop> {};

TEST_P(SteadyTick, AllocatesNothingOnceTheListIsFilled)
{
    FakeWindowList windows;
    if (GetParam().player) {
        windows.Add(u"1. A Rather Long Artist Name - A Rather Long Song Title - Winamp");
    }
    for (int i = 0; i < GetParam().windows; ++i) {
        const std::string title = "Document " + std::to_string(i) + " - Some Editor";
        windows.Add(std::u16string(title.begin(), title.end()));
    }
    auto winamp = std::make_unique<modWinamp>();
    PollCycle cycle;
    testing::RecordingLabel label;
    testing::RecordingSender sender;
    testing::FakeMessengers messengers;
    messengers.handles = {0x5000};
    modMsn::SongHolders holders;
    const auto tick = [&] {
        if (!cycle.Tick(winamp->GetCurrentSong(windows, 0x10), label, sender)) {
            modMsn::SendToNewWindows(messengers, cycle.LastSong(), holders);
        }
    };

    // The first tick sends the song to the recording sender; the second finds the
    // messenger window, which has not had it.
    tick();
    tick();
    const std::size_t before = testing::AllocationCount();
    for (int i = 0; i < 5; ++i) {
        tick();
    }
    EXPECT_EQ(testing::AllocationCount() - before, 0u);
    const std::u16string last = sender.sent.empty() ? u"" : sender.sent.back();
    EXPECT_EQ(last, GetParam().player ? u"A Rather Long Artist Name - A Rather Long Song Title" : u"");
    EXPECT_EQ(messengers.sent.size(), GetParam().player ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Desktops, SteadyTick,
                         ::testing::Values(Desktop{{"PlayerAmongWindows"}, 200, true},
                                           Desktop{{"NoPlayer"}, 200, false},
                                           Desktop{{"ListFull"}, modWinamp::MAX_WINDOW_INDEX + 20, true}));

} // namespace
} // namespace nowplaying
