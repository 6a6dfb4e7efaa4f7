#pragma once
// Reading the now-playing payload back, for every test and peer that receives one.
// The frame is spelled out here on its own, apart from the program's builder, so that
// a payload decodes only when every byte around the song is where it belongs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace support {

inline constexpr std::u16string_view kNowPlayingHeader = u"\\0Music\\0\\0";
inline constexpr std::u16string_view kNowPlayingTrailer = u"\\0\\0\\0\\0\\0";

// The song of a payload given as UTF-16 text, its terminating U+0000 included; nullopt
// for anything that is not exactly header, song, trailer and terminator.
inline std::optional<std::u16string> DecodeNowPlaying(std::u16string_view text)
{
    const std::size_t frame = kNowPlayingHeader.size() + kNowPlayingTrailer.size() + 1;
    if (text.size() < frame || text.substr(0, kNowPlayingHeader.size()) != kNowPlayingHeader ||
        text.substr(text.size() - 1 - kNowPlayingTrailer.size(), kNowPlayingTrailer.size()) != kNowPlayingTrailer ||
        text.back() != u'\0') {
        return std::nullopt;
    }
    return std::u16string(text.substr(kNowPlayingHeader.size(), text.size() - frame));
}

// Little-endian UTF-16 bytes as text; an odd last byte is left out.
inline std::u16string FromUtf16Le(std::span<const std::uint8_t> bytes)
{
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return text;
}

// The same for the bytes a WM_COPYDATA carried: little-endian UTF-16, whole units only.
inline std::optional<std::u16string> DecodeNowPlaying(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    return DecodeNowPlaying(FromUtf16Le(bytes));
}

} // namespace support
