// Cuts arbitrary UTF-16 titles and checks every result, empty or not, against the
// rule restated as a plain walk over the characters: the text strictly between the
// first space and the first marker, empty without a marker or when the first space
// is the marker's own.

#include "player/window_scan.h"
#include "support/payload.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::size_t FirstMarker(const std::u16string& title)
{
    const std::u16string_view marker = nowplaying::PLAYER_TITLE_MARKER;
    for (std::size_t at = 0; at + marker.size() <= title.size(); ++at) {
        if (std::u16string_view(title).substr(at, marker.size()) == marker) {
            return at;
        }
    }
    return kNone;
}

std::size_t FirstSpace(const std::u16string& title)
{
    for (std::size_t at = 0; at < title.size(); ++at) {
        if (title[at] == u' ') {
            return at;
        }
    }
    return kNone;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string title = support::FromUtf16Le({data, size});
    const std::u16string_view song = nowplaying::ExtractSongFromTitle(title);
    const std::size_t marker = FirstMarker(title);
    const std::size_t space = FirstSpace(title);
    std::size_t begin = 0;
    std::size_t length = 0;
    if (marker != kNone && space < marker) {
        begin = space + 1;
        length = marker - begin;
    }
    if (song.size() != length || std::u16string_view(title).substr(begin, length) != song) {
        std::abort();
    }
    // A song is a view into the title itself, at the place the rule names.
    if (length > 0 && song.data() != title.data() + begin) {
        std::abort();
    }
    return 0;
}
