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
    const std::u16string song = support::FromUtf16Le({data, size});
    static std::u16string payload;
    nowplaying::modMsn::BuildNowPlayingPayload(song, payload);
    if (support::DecodeNowPlaying(payload) != song) {
        std::abort();
    }
    return 0;
}
