// Builds payloads for arbitrary songs, into a reused buffer as the program does,
// and checks the fixed frame around the song and the song itself.

#include "messenger/now_playing.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::u16string song(size / 2, u'\0');
    for (std::size_t i = 0; i < song.size(); ++i) {
        song[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    static std::u16string payload;
    nowplaying::modMsn::BuildNowPlayingPayload(song, payload);
    const std::u16string_view text = payload;
    if (text.size() != 22 + song.size() || text.substr(0, 11) != u"\\0Music\\0\\0" ||
        text.substr(11, song.size()) != song || text.substr(11 + song.size(), 10) != u"\\0\\0\\0\\0\\0" ||
        text.back() != u'\0') {
        std::abort();
    }
    return 0;
}
