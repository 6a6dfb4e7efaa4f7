// Builds a caption as the player writes it around an arbitrary song (with or without
// the playlist number, playing, paused or stopped) and checks that the caption and
// every step of its taskbar scroll give that song. The input read as a raw title must
// give a song inside the title.

#include "player/window_scan.h"
#include "support/payload.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::u16string_view kStates[] = {u"", u" [Paused]", u" [Stopped]", u" [En pause]"};

void ExpectSong(std::u16string_view title, std::u16string_view song)
{
    if (nowplaying::ExtractSongFromTitle(title) != song) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string raw = support::FromUtf16Le({data, size});
    const std::u16string_view rawSong = nowplaying::ExtractSongFromTitle(raw);
    if (!rawSong.empty() &&
        (rawSong.data() < raw.data() || rawSong.data() + rawSong.size() > raw.data() + raw.size())) {
        std::abort();
    }
    if (size == 0) {
        return 0;
    }

    const bool numbered = (data[0] & 1) != 0;
    const std::u16string song = support::FromUtf16Le({data + 1, size - 1});
    // Two kinds of song make captions that another caption could have written: one
    // holding the player's own name (" - Winamp" ends the song early, and "Winamp *** "
    // is a scroll step of a caption starting "- Winamp"), and, with the number turned
    // off, one that starts as a playlist number does.
    if (song.find(u"Winamp") != std::u16string::npos ||
        (!numbered && !song.empty() && song[0] >= u'0' && song[0] <= u'9')) {
        return 0;
    }
    const std::u16string caption = (numbered ? u"17. " : u"") + song + std::u16string(nowplaying::PLAYER_TITLE_MARKER) +
                                   std::u16string(kStates[(data[0] >> 1) % std::size(kStates)]);
    ExpectSong(caption, song);

    const std::u16string_view separator = nowplaying::PLAYER_SCROLL_SEPARATOR;
    const std::u16string_view c = caption;
    std::u16string step;
    for (std::size_t k = 0; k < c.size() + 3; ++k) {
        if (k < c.size()) {
            step.assign(c.substr(k)).append(separator).append(c);
        } else {
            step.assign(separator.substr(k - c.size())).append(c).append(separator);
        }
        ExpectSong(step, song);
    }
    return 0;
}
