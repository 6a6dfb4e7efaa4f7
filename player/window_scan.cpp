#include "window_scan.h"

namespace nowplaying {

bool IsCandidateWindow(std::uint32_t style)
{
    constexpr std::uint32_t wanted = WS_VISIBLE_BIT | WS_BORDER_BIT;
    return (style & wanted) == wanted;
}

std::u16string_view ExtractSongFromTitle(std::u16string_view title)
{
    const auto marker = title.find(PLAYER_TITLE_MARKER);
    if (marker == std::u16string_view::npos) {
        return {};
    }
    // The marker starts with a space, so a first space always exists at or before it.
    const auto firstSpace = title.find(u' ');
    if (firstSpace >= marker) {
        return {};
    }
    return title.substr(firstSpace + 1, marker - firstSpace - 1);
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
