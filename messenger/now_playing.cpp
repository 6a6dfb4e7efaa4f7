#include "now_playing.h"

#include <bit>

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

void SendNowPlaying(MessengerWindows& windows, std::u16string_view song)
{
    const std::u16string payload = BuildNowPlayingPayload(song);
    const auto cbData = static_cast<std::uint32_t>(payload.size() * sizeof(char16_t));
    for (NativeHandle h = windows.FindNext(0); h != 0; h = windows.FindNext(h)) {
        windows.Send(h, NOW_PLAYING_COPYDATA_ID, payload.data(), cbData);
    }
}

} // namespace nowplaying::modMsn
