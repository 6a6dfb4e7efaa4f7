#include "shell_version.h"

namespace nowplaying::tray {

WindowsVersion GetWindowsVersion(std::uint32_t packed)
{
    WindowsVersion version;
    version.major = static_cast<int>(packed & 0xFFu);
    version.minor = static_cast<int>((packed >> 8) & 0xFFu);
    version.buildLow = static_cast<int>((packed >> 16) & 0xFFu);
    version.buildHigh = static_cast<int>((packed >> 24) & 0xFFu);
    version.isNt = (packed & 0x80000000u) == 0;
    return version;
}

ShellLayout ChooseShellLayout(const WindowsVersion& version)
{
    if (version.isNt) {
        return {true, version.major >= 5};
    }
    // Of the 95 family only Millennium (4.90) has the balloon-capable shell.
    return {false, version.major == 4 && version.minor == 90};
}

} // namespace nowplaying::tray
