#include "poll_cycle.h"

namespace nowplaying {

bool PollCycle::Tick(std::u16string_view song, SongLabel& lblSong, SongSender& sender)
{
    if (song != lblSong.Caption()) {
        lblSong.SetCaption(song);
    }
    if (song != m_sLastSong) {
        sender.SendNowPlaying(song);
        m_sLastSong.assign(song);
        return true;
    }
    return false;
}

} // namespace nowplaying
