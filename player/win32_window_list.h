#pragma once
// The window scan's view of the real top-level window list.

#include "window_scan.h"

#include <string>
#include <vector>

namespace nowplaying {

class Win32WindowList final : public WindowList {
public:
    Win32WindowList();

    void Snapshot(std::vector<WindowHandle>& handles) override;
    std::uint32_t Style(WindowHandle h) override;
    std::size_t ReadTitle(WindowHandle h, std::u16string& title) override;

private:
    std::size_t ReadTitleAnsi(WindowHandle h, std::u16string& title);

    // The 95 family reads titles through the ANSI functions; NT through the wide
    // ones, so that characters outside the ANSI code page arrive intact.
    bool m_bAnsiTitles;
    // Kept from one scan to the next, so that a title is read with one call.
    std::u16string m_wideBuffer;
    std::string m_ansiBuffer;
};

} // namespace nowplaying
