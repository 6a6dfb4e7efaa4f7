#pragma once
// The now-playing message: its payload text and the broadcast to every messenger
// window. Pure logic: the platform is reached through MessengerWindows.

#include "common/native_handle.h"

#include <array>
#include <cstddef>
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

// The messenger windows that hold the song last sent, as the last search met them.
// Its fixed size keeps the look of every tick off the heap.
class SongHolders {
public:
    static constexpr std::size_t CAPACITY = 16;

    // A search begins: each window recorded is unconfirmed until the search meets it.
    void BeginSearch() { m_confirmed = 0; }
    // Whether h, just met, is recorded; it is confirmed if so.
    bool Confirm(NativeHandle h);
    // Records h, just met, as confirmed; false, and nothing recorded, when full.
    bool Record(NativeHandle h);
    // The search ended: windows it did not meet have closed, and a handle that comes
    // back later belongs to a new window.
    void EndSearch() { m_count = m_confirmed; }
    void Forget() { m_count = m_confirmed = 0; }

private:
    std::array<NativeHandle, CAPACITY> m_handles{};
    std::size_t m_count = 0;
    std::size_t m_confirmed = 0;
};

// "\0Music\0" "\0" song "\0"x5 and one real U+0000, where "\0" is a backslash and a
// digit zero. Written into payload, whose storage is reused.
void BuildNowPlayingPayload(std::u16string_view song, std::u16string& payload);
std::u16string BuildNowPlayingPayload(std::u16string_view song);

// Sends the song to every messenger window once, in the order the search finds them;
// they are then its holders.
void SendNowPlaying(MessengerWindows& windows, std::u16string_view song, SongHolders& holders);

// Sends the song, as SendNowPlaying did to the holders, to each messenger window that
// appeared since: a messenger started after the player learns the song at once. An
// empty song tells a new window nothing, and nothing is searched for it. A window
// that finds the holders full is passed over, and learns the song with its next change.
void SendToNewWindows(MessengerWindows& windows, std::u16string_view song, SongHolders& holders);

} // namespace modMsn
} // namespace nowplaying
