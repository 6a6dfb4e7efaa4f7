// Cuts arbitrary UTF-16 titles and checks the result against what the cut means:
// the text strictly between the first space and the first marker.

#include "player/window_scan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::u16string title(size / 2, u'\0');
    for (std::size_t i = 0; i < title.size(); ++i) {
        title[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    const std::u16string_view song = nowplaying::ExtractSongFromTitle(title);
    const auto marker = title.find(nowplaying::PLAYER_TITLE_MARKER);
    if (marker == std::u16string::npos) {
        if (!song.empty()) {
            std::abort();
        }
        return 0;
    }
    if (song.empty()) {
        return 0;
    }
    // The song lies inside the title, right after its first space, right before the marker.
    const auto begin = static_cast<std::size_t>(song.data() - title.data());
    if (begin == 0 || begin + song.size() != marker || title[begin - 1] != u' ' ||
        title.find(u' ') != begin - 1) {
        std::abort();
    }
    return 0;
}
