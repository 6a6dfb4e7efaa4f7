#include "window_scan.h"

namespace nowplaying {

bool IsCandidateWindow(std::uint32_t style)
{
    constexpr std::uint32_t wanted = WS_VISIBLE_BIT | WS_BORDER_BIT;
    return (style & wanted) == wanted;
}

namespace {

std::size_t PlaylistNumberLength(std::u16string_view text)
{
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9') {
        ++digits;
    }
    const bool numbered = digits > 0 && text.substr(digits, 2) == u". ";
    return numbered ? digits + 2 : 0;
}

bool StartsWith(std::u16string_view text, std::u16string_view start)
{
    return text.substr(0, start.size()) == start;
}

bool EndsWith(std::u16string_view text, std::u16string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

} // namespace

std::u16string_view CutSongFromCaption(std::u16string_view caption)
{
    const auto marker = caption.find(PLAYER_TITLE_MARKER);
    if (marker == std::u16string_view::npos) {
        return {};
    }
    const std::u16string_view before = caption.substr(0, marker);
    return before.substr(PlaylistNumberLength(before));
}

// The scroll writes, for a caption C of L characters, at step k < L: C from character
// k on, the separator, C; at steps L to L + 2: the separator from character k - L on,
// C, the separator. So a title of the first kind is a border b (its first b characters
// are also its last), the separator right after it, and C = everything after that
// separator, with 2b + 5 <= the title's length. A title can be a step of more than
// one caption only when a caption holds the separator itself; the longest song wins,
// which keeps a song holding the separator whole.
std::u16string_view ExtractSongFromTitle(std::u16string_view title)
{
    const std::size_t separator = PLAYER_SCROLL_SEPARATOR.size();
    std::u16string_view song;
    bool scrolled = false;
    const auto consider = [&](std::u16string_view caption) {
        const std::u16string_view candidate = CutSongFromCaption(caption);
        if (!scrolled || candidate.size() > song.size()) {
            song = candidate;
        }
        scrolled = true;
    };
    for (auto b = title.find(PLAYER_SCROLL_SEPARATOR, 1);
         b != std::u16string_view::npos && 2 * b + separator <= title.size();
         b = title.find(PLAYER_SCROLL_SEPARATOR, b + 1)) {
        if (title.substr(0, b) == title.substr(title.size() - b)) {
            consider(title.substr(b + separator));
        }
    }
    if (EndsWith(title, PLAYER_SCROLL_SEPARATOR)) {
        for (std::size_t skipped = 0; skipped < 3; ++skipped) {
            const std::size_t lead = separator - skipped;
            if (title.size() >= lead + separator && StartsWith(title, PLAYER_SCROLL_SEPARATOR.substr(skipped))) {
                consider(title.substr(lead, title.size() - lead - separator));
            }
        }
    }
    return scrolled ? song : CutSongFromCaption(title);
}

void modWinamp::CollectWindowTitles(WindowList& windows, NativeHandle hOwn)
{
    windows.Snapshot(m_hSnapshot);
    std::size_t count = 0;
    m_bMatchBeyondList = false;
    for (const NativeHandle h : m_hSnapshot) {
        if (h == hOwn || !IsCandidateWindow(windows.Style(h))) {
            continue;
        }
        if (count == m_aWindows.size()) {
            if (windows.ReadTitle(h, m_sTitleBeyondList) > 0 &&
                m_sTitleBeyondList.find(PLAYER_TITLE_MARKER) != std::u16string::npos) {
                m_sMatchBeyondList.assign(m_sTitleBeyondList);
                m_bMatchBeyondList = true;
            }
            continue;
        }
        WindowEntry& entry = m_aWindows[count];
        if (windows.ReadTitle(h, entry.sWindowTitle) > 0) {
            entry.hWindow = h;
            ++count;
        }
    }
    m_iWindowCount = static_cast<std::int32_t>(count);
}

std::u16string_view modWinamp::GetCurrentSong(WindowList& windows, NativeHandle hOwn)
{
    CollectWindowTitles(windows, hOwn);
    // Everything beyond the list lies lower in Z-order than everything in it.
    if (m_bMatchBeyondList) {
        return ExtractSongFromTitle(m_sMatchBeyondList);
    }
    std::u16string_view song;
    for (std::int32_t i = 0; i < m_iWindowCount; ++i) {
        const std::u16string& title = m_aWindows[static_cast<std::size_t>(i)].sWindowTitle;
        if (title.find(PLAYER_TITLE_MARKER) != std::u16string::npos) {
            song = ExtractSongFromTitle(title);
        }
    }
    return song;
}

} // namespace nowplaying
