#include "show_at_start.h"

namespace nowplaying {

namespace {

constexpr int kHide = 0;            // SW_HIDE
constexpr int kShowMinimized = 2;   // SW_SHOWMINIMIZED
constexpr int kMinimize = 6;        // SW_MINIMIZE
constexpr int kShowMinNoActive = 7; // SW_SHOWMINNOACTIVE
constexpr int kForceMinimize = 11;  // SW_FORCEMINIMIZE

} // namespace

bool ShowsAboutAtStart(int showCommand)
{
    switch (showCommand) {
    case kHide:
    case kShowMinimized:
    case kMinimize:
    case kShowMinNoActive:
    case kForceMinimize: return false;
    default: return true;
    }
}

} // namespace nowplaying
