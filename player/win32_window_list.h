#pragma once
// The window scan's view of the real top-level window list.

#include "window_scan.h"

#include <string>

namespace nowplaying {

class Win32WindowList final : public WindowList {
public:
    WindowHandle First(WindowHandle hOwn) override;
    WindowHandle Next(WindowHandle h) override;
    std::uint32_t Style(WindowHandle h) override;
    std::size_t ReadTitle(WindowHandle h, std::u16string& title) override;
};

} // namespace nowplaying
