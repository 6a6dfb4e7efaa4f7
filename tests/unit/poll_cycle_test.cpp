#include "app/poll_cycle.h"

#include "fake_windows.h"
#include "support/named_row.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nowplaying {
namespace {

using testing::RecordingLabel;
using testing::RecordingSender;

struct TickSequence : support::NamedRow {
    std::vector<std::u16string> songs; // the song each tick scans
    std::vector<std::u16string> sent;  // what must be broadcast, in order
    int labelWrites;
};

class PollCycleSequence : public ::testing::TestWithParam<TickSequence> {};

TEST_P(PollCycleSequence, SendsOncePerChangeAndKeepsLabelCurrent)
{
    PollCycle cycle;
    RecordingLabel label;
    RecordingSender sender;
    for (const auto& song : GetParam().songs) {
        const std::size_t sentBefore = sender.sent.size();
        const bool sent = cycle.Tick(song, label, sender);
        EXPECT_EQ(sent, sender.sent.size() > sentBefore) << "says whether it sent";
        EXPECT_EQ(label.caption, song);
        EXPECT_EQ(cycle.LastSong(), song);
    }
    EXPECT_EQ(sender.sent, GetParam().sent);
    EXPECT_EQ(label.writes, GetParam().labelWrites);
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, PollCycleSequence,
    ::testing::Values(TickSequence{{"NoPlayer"}, {u"", u"", u""}, {}, 0},
                      TickSequence{{"FirstSong"}, {u"", u"A - B", u"A - B", u"A - B"}, {u"A - B"}, 1},
                      TickSequence{{"Change"}, {u"A", u"B", u"B"}, {u"A", u"B"}, 2},
                      TickSequence{{"LetterCaseOnly"}, {u"song", u"Song"}, {u"song", u"Song"}, 2},
                      TickSequence{{"PlayerClosed"}, {u"A", u"", u""}, {u"A", u""}, 2},
                      // A change and a change back between two ticks is never seen.
                      TickSequence{{"ChangeAndBackBetweenTicks"}, {u"A", u"A"}, {u"A"}, 1},
                      TickSequence{{"BackToAnEarlierSong"}, {u"A", u"B", u"A"}, {u"A", u"B", u"A"}, 3}),
    support::RowName);

TEST(PollCycle, LabelAndSendDecisionsAreIndependent)
{
    PollCycle cycle;
    RecordingLabel label;
    RecordingSender sender;
    label.caption = u"A"; // the label already shows the song, yet it was never sent
    cycle.Tick(u"A", label, sender);
    EXPECT_EQ(label.writes, 0);
    EXPECT_EQ(sender.sent, std::vector<std::u16string>{u"A"});
}

} // namespace
} // namespace nowplaying
