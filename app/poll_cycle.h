#pragma once
// The decisions of one poll tick: refresh the song label when the text differs from
// its caption, and broadcast when it differs from the text last sent.

#include <string>
#include <string_view>

namespace nowplaying {

class SongLabel {
public:
    virtual ~SongLabel() = default;
    virtual std::u16string_view Caption() const = 0;
    virtual void SetCaption(std::u16string_view caption) = 0;
};

class SongSender {
public:
    virtual ~SongSender() = default;
    virtual void SendNowPlaying(std::u16string_view song) = 0;
};

class PollCycle {
public:
    // Runs the tick's two independent comparisons for the song just scanned; true when
    // it sent the song.
    bool Tick(std::u16string_view song, SongLabel& lblSong, SongSender& sender);

    const std::u16string& LastSong() const { return m_sLastSong; }

private:
    // Written only after a send has returned.
    std::u16string m_sLastSong;
};

} // namespace nowplaying
