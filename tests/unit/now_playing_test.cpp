#include "messenger/now_playing.h"

#include "fake_windows.h"
#include "support/named_row.h"
#include "support/payload.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace nowplaying {
namespace {

using testing::FakeMessengers;

std::vector<std::uint8_t> Utf16LeBytes(std::u16string_view text)
{
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> PayloadBytes(std::u16string_view song)
{
    const std::u16string payload = modMsn::BuildNowPlayingPayload(song);
    const auto* p = reinterpret_cast<const std::uint8_t*>(payload.data());
    return {p, p + payload.size() * 2};
}

// "\0" is the two characters backslash and zero: 5C 00 30 00.
std::vector<std::uint8_t> Expected(std::vector<std::uint8_t> song)
{
    std::vector<std::uint8_t> out = {0x5C, 0,    0x30, 0,    0x4D, 0,    0x75, 0,    0x73, 0,    0x69,
                                     0,    0x63, 0,    0x5C, 0,    0x30, 0,    0x5C, 0,    0x30, 0};
    out.reserve(out.size() + song.size() + 22);
    out.insert(out.end(), song.begin(), song.end());
    for (int i = 0; i < 5; ++i) {
        out.insert(out.end(), {0x5C, 0, 0x30, 0});
    }
    out.insert(out.end(), {0, 0});
    return out;
}

TEST(Payload, ByteExactForEmptySong)
{
    const auto bytes = PayloadBytes(u"");
    EXPECT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes, Expected({}));
}

TEST(Payload, ByteExactForAbc)
{
    const std::vector<std::uint8_t> abc = {0x5C, 0,    0x30, 0,    0x4D, 0,    0x75, 0,    0x73, 0,    0x69, 0,    0x63,
                                           0,    0x5C, 0,    0x30, 0,    0x5C, 0,    0x30, 0,    0x61, 0,    0x62, 0,
                                           0x63, 0,    0x5C, 0,    0x30, 0,    0x5C, 0,    0x30, 0,    0x5C, 0,    0x30,
                                           0,    0x5C, 0,    0x30, 0,    0x5C, 0,    0x30, 0,    0,    0};
    EXPECT_EQ(PayloadBytes(u"abc"), abc);
}

// The tests' decoder is checked here against the same bytes: it takes the exact frame
// back to its song and nothing a byte away from it, so that tests elsewhere may
// compare decoded songs instead of spelling the frame out.
TEST(Payload, SongIsInsertedUnchanged)
{
    for (std::u16string_view song : {u"", u"a\\0b", u"\\", u"夜明け 🎵", u" x "}) {
        const std::vector<std::uint8_t> expected = Expected(Utf16LeBytes(song));
        EXPECT_EQ(PayloadBytes(song), expected);
        EXPECT_EQ(support::DecodeNowPlaying(expected), std::u16string(song));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            std::vector<std::uint8_t> changed = expected;
            changed[i] ^= 0x01;
            const auto decoded = support::DecodeNowPlaying(changed);
            EXPECT_TRUE(!decoded || *decoded != song) << "byte " << i << " changed";
        }
        for (const std::size_t cut : {std::size_t{1}, std::size_t{2}}) {
            const std::vector<std::uint8_t> shorter(expected.begin(), expected.end() - static_cast<long>(cut));
            EXPECT_FALSE(support::DecodeNowPlaying(shorter)) << cut << " bytes short";
        }
    }
}

TEST(Payload, ReusedBufferHoldsOnlyTheNewPayload)
{
    std::u16string buffer;
    modMsn::BuildNowPlayingPayload(u"a much longer song title than the next", buffer);
    modMsn::BuildNowPlayingPayload(u"abc", buffer);
    EXPECT_EQ(buffer, modMsn::BuildNowPlayingPayload(u"abc"));
}

using Handles = std::vector<NativeHandle>;

struct Receivers : support::NamedRow {
    std::u16string song;
    Handles atChange;           // the messenger windows when the song changes
    std::vector<Handles> ticks; // the windows at each later tick with the same song
    Handles sent;               // who gets the song, in order
};

Handles Windows(std::size_t count)
{
    Handles handles(count);
    std::iota(handles.begin(), handles.end(), NativeHandle{0x100});
    return handles;
}
const Handles kMany = Windows(modMsn::SongHolders::CAPACITY + 2);

class SendLoop : public ::testing::TestWithParam<Receivers> {};

TEST_P(SendLoop, EachReceiverGetsTheSameMessageOnceInSearchOrder)
{
    const Receivers& row = GetParam();
    FakeMessengers messengers;
    modMsn::SongHolders holders;
    messengers.handles = row.atChange;
    modMsn::SendNowPlaying(messengers, row.song, holders);
    EXPECT_EQ(messengers.searches, static_cast<int>(row.atChange.size()) + 1);
    for (const Handles& windows : row.ticks) {
        messengers.handles = windows;
        modMsn::SendToNewWindows(messengers, row.song, holders);
    }

    ASSERT_EQ(messengers.sent.size(), row.sent.size());
    for (std::size_t i = 0; i < row.sent.size(); ++i) {
        EXPECT_EQ(messengers.sent[i].to, row.sent[i]);
        EXPECT_EQ(messengers.sent[i].dwData, 1351u);
        EXPECT_EQ(messengers.sent[i].bytes, PayloadBytes(row.song));
    }
}

// A window that appears after the send gets the song once. A handle with its top bit
// set is an ordinary handle and gets the message too; a handle gone for a tick is a
// new window's. Windows beyond the room of the holders are not sent it at every tick.
INSTANTIATE_TEST_SUITE_P(
    Receivers, SendLoop,
    ::testing::Values(Receivers{{"None"}, u"abc", {}, {{}, {0x10}, {0x10}}, {0x10}},
                      Receivers{{"One"}, u"abc", {0x10}, {{0x10}}, {0x10}},
                      Receivers{{"Two"}, u"abc", {0x10, 0x20}, {{0x20, 0x30, 0x10}, {0x10, 0x30}}, {0x10, 0x20, 0x30}},
                      Receivers{{"TopBitSet"}, u"abc", {0x80000010u, 0x20}, {}, {0x80000010u, 0x20}},
                      Receivers{{"BackAfterATick"}, u"abc", {0x10}, {{}, {0x10}}, {0x10, 0x10}},
                      Receivers{{"EmptySong"}, u"", {0x10}, {{0x10, 0x20}}, {0x10}},
                      Receivers{{"MoreThanTheHoldersHold"}, u"abc", kMany, {kMany}, kMany}),
    support::RowName);

} // namespace
} // namespace nowplaying
