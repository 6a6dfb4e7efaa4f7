// Builds payloads for arbitrary songs, into a reused buffer as the program does, and
// checks that each decodes, frame and all, to the song it was built for.

#include "messenger/now_playing.h"
#include "support/payload.h"

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
    if (support::DecodeNowPlaying(payload) != song) {
        std::abort();
    }
    return 0;
}
