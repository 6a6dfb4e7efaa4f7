#include "now_playing.h"

#include <bit>
#include <utility>

namespace nowplaying::modMsn {

static_assert(std::endian::native == std::endian::little,
              "the payload is sent as the in-memory UTF-16 text, which must be little-endian");

namespace {
constexpr std::u16string_view kHeader = u"\\0Music\\0";
constexpr std::u16string_view kSeparator = u"\\0";
constexpr int kTrailingSeparators = 5;
} // namespace

void BuildNowPlayingPayload(std::u16string_view song, std::u16string& payload)
{
    payload.clear();
    // Sized once, so that a fresh payload costs one allocation and a kept one none.
    payload.reserve(kHeader.size() + kSeparator.size() * (1 + kTrailingSeparators) + song.size() + 1);
    payload.append(kHeader).append(kSeparator).append(song);
    for (int i = 0; i < kTrailingSeparators; ++i) {
        payload.append(kSeparator);
    }
    payload.push_back(u'\0');
}

std::u16string BuildNowPlayingPayload(std::u16string_view song)
{
    std::u16string payload;
    BuildNowPlayingPayload(song, payload);
    return payload;
}

namespace {

// One search: each window it meets that is no holder gets the song, in search order,
// and becomes one. A window that finds the holders full gets it only when
// everyone must.
void Deliver(MessengerWindows& windows, std::u16string_view song, SongHolders& holders, bool everyone)
{
    // Built for the first window that needs it: a search that meets only holders
    // allocates nothing.
    std::u16string payload;
    holders.BeginSearch();
    for (NativeHandle h = windows.FindNext(0); h != 0; h = windows.FindNext(h)) {
        if (holders.Confirm(h) || (!holders.Record(h) && !everyone)) {
            continue;
        }
        if (payload.empty()) {
            BuildNowPlayingPayload(song, payload);
        }
        // A hung window whose send timed out counts as a holder as well: sending it
        // again would hold up every tick for the send's time-out.
        windows.Send(h, NOW_PLAYING_COPYDATA_ID, payload.data(),
                     static_cast<std::uint32_t>(payload.size() * sizeof(char16_t)));
    }
    holders.EndSearch();
}

} // namespace

bool SongHolders::Confirm(NativeHandle h)
{
    for (std::size_t i = 0; i < m_count; ++i) {
        if (m_handles[i] == h) {
            if (i >= m_confirmed) {
                std::swap(m_handles[i], m_handles[m_confirmed++]);
            }
            return true;
        }
    }
    return false;
}

bool SongHolders::Record(NativeHandle h)
{
    if (m_count == CAPACITY) {
        return false;
    }
    m_handles[m_count++] = m_handles[m_confirmed];
    m_handles[m_confirmed++] = h;
    return true;
}

void SendNowPlaying(MessengerWindows& windows, std::u16string_view song, SongHolders& holders)
{
    holders.Forget();
    Deliver(windows, song, holders, true);
}

void SendToNewWindows(MessengerWindows& windows, std::u16string_view song, SongHolders& holders)
{
    if (!song.empty()) {
        Deliver(windows, song, holders, false);
    }
}

} // namespace nowplaying::modMsn
