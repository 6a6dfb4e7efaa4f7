#include "poll_cycle.h"

namespace nowplaying {

void PollCycle::Tick(std::u16string_view song, SongLabel& lblSong, SongSender& sender)
{
    if (song != lblSong.Caption()) {
        lblSong.SetCaption(song);
    }
    if (song != m_sLastSong) {
        sender.SendNowPlaying(song);
        m_sLastSong.assign(song);
    }
}

} // namespace nowplaying
