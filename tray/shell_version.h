#pragma once
// Which notification-icon interface the shell offers, decided from the packed
// platform version. Pure logic.

#include <cstdint>

namespace nowplaying::tray {

struct WindowsVersion {
    int major = 0;
    int minor = 0;
    int buildLow = 0;
    // The top byte of the packed value, so at least 128 on the 95 family.
    int buildHigh = 0;
    bool isNt = false;
};

// Decodes the value GetVersion returns.
WindowsVersion GetWindowsVersion(std::uint32_t packed);

struct ShellLayout {
    // NT family: the wide interface and the Unicode record.
    bool bUseUnicode = false;
    // The shell reads the larger record: balloons, 128-character tips, version 3 callbacks.
    bool bBalloonSupport = false;
};

ShellLayout ChooseShellLayout(const WindowsVersion& version);

} // namespace nowplaying::tray
