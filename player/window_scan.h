#pragma once
// Finds the player's window among the desktop's top-level windows and cuts the
// song text out of its title. Pure logic: the platform is reached through WindowList.

#include "common/native_handle.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nowplaying {

// The part of the platform's window list that the scan needs. Each call maps to
// one system call (a title read to one, rarely more), so the Win32 adapter stays small.
class WindowList {
public:
    virtual ~WindowList() = default;
    // Replaces handles with the top-level windows as they stand at one moment, in
    // Z-order, topmost first. A window restacked or destroyed during the scan is
    // neither skipped nor met twice; handles keeps its storage between scans.
    virtual void Snapshot(std::vector<NativeHandle>& handles) = 0;
    // The window's style bits; 0 when they cannot be read.
    virtual std::uint32_t Style(NativeHandle h) = 0;
    // Reads the title into title (reusing its storage) and returns the number of
    // characters delivered; 0 for an empty or unreadable title.
    virtual std::size_t ReadTitle(NativeHandle h, std::u16string& title) = 0;
};

inline constexpr std::u16string_view PLAYER_TITLE_MARKER = u" - Winamp";
inline constexpr std::uint32_t WS_VISIBLE_BIT = 0x10000000;
inline constexpr std::uint32_t WS_BORDER_BIT = 0x00800000;

// Visible and bordered: every captioned window qualifies, WS_DLGFRAME alone does not.
bool IsCandidateWindow(std::uint32_t style);

// What the player puts between the moving copies of its caption when it scrolls the
// title in the taskbar.
inline constexpr std::u16string_view PLAYER_SCROLL_SEPARATOR = u" *** ";

// The song of a player's caption: the text before the first marker, less the playlist
// number ("12. ") that the player puts first unless the user turned it off. The text
// after the marker (" [Paused]", " [Stopped]", in the player's language) is dropped.
std::u16string_view CutSongFromCaption(std::u16string_view caption);

// The song of a window title. A title that is a step of the player's taskbar scroll
// gives the song of the caption it scrolls; any other title is cut as a caption. The
// view points into title.
std::u16string_view ExtractSongFromTitle(std::u16string_view title);

struct WindowEntry {
    std::u16string sWindowTitle;
    NativeHandle hWindow = 0;
};

// The player title reader: owns the window list that every scan reuses.
class modWinamp {
public:
    static constexpr int MAX_WINDOW_INDEX = 1000;

    // Fills m_aWindows from the top of the Z-order, skipping hOwn, hidden or
    // borderless windows and empty titles. Once the list is full, the remaining
    // candidates are still read, and the last of them whose title carries the
    // marker is kept apart: a player that low must not be lost.
    void CollectWindowTitles(WindowList& windows, NativeHandle hOwn);

    // The song of the last matching title (lowest in Z-order), or empty. The view
    // stays valid until the next scan.
    std::u16string_view GetCurrentSong(WindowList& windows, NativeHandle hOwn);

    int WindowCount() const { return m_iWindowCount; }
    const WindowEntry& Entry(int i) const { return m_aWindows.at(static_cast<std::size_t>(i)); }

private:
    std::array<WindowEntry, MAX_WINDOW_INDEX + 1> m_aWindows{};
    std::int32_t m_iWindowCount = 0;
    std::vector<NativeHandle> m_hSnapshot;
    // Below the full list: the title being read, and the last one with the marker.
    std::u16string m_sTitleBeyondList;
    std::u16string m_sMatchBeyondList;
    bool m_bMatchBeyondList = false;
};

} // namespace nowplaying
