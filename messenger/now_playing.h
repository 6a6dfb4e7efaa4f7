#pragma once
// The now-playing message: its payload text and the broadcast to every messenger
// window. Pure logic: the platform is reached through MessengerWindows.

#include "common/native_handle.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nowplaying {

inline constexpr std::uint32_t NOW_PLAYING_COPYDATA_ID = 1351;
inline constexpr char MESSENGER_WINDOW_CLASS[] = "MsnMsgrUIManager";

class MessengerWindows {
public:
    virtual ~MessengerWindows() = default;
    // The next top-level messenger window after `after` (0 starts the search); 0 when none is left.
    virtual NativeHandle FindNext(NativeHandle after) = 0;
    // Delivers one WM_COPYDATA to h and returns once it was handled or given up on.
    virtual void Send(NativeHandle h, std::uint32_t dwData, const void* lpData, std::uint32_t cbData) = 0;
};

namespace modMsn {

// "\0Music\0" "\0" song "\0"x5 and one real U+0000, where "\0" is a backslash and a
// digit zero. Written into payload, whose storage is reused.
void BuildNowPlayingPayload(std::u16string_view song, std::u16string& payload);
std::u16string BuildNowPlayingPayload(std::u16string_view song);

// Sends the song to every messenger window once, in the order the search finds them.
void SendNowPlaying(MessengerWindows& windows, std::u16string_view song);

} // namespace modMsn
} // namespace nowplaying
