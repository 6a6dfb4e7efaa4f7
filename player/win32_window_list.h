#pragma once
// The window scan's view of the real top-level window list.

#include "title_read.h"
#include "window_scan.h"

#include <string>
#include <vector>

namespace nowplaying {

class Win32WindowList final : public WindowList {
public:
    void Snapshot(std::vector<NativeHandle>& handles) override;
    std::uint32_t Style(NativeHandle h) override;
    std::size_t ReadTitle(NativeHandle h, std::u16string& title) override;

private:
    TitleReader m_titleReader;
    // Kept from one scan to the next, so that a title is read with one call.
    std::u16string m_buffer;
};

} // namespace nowplaying
