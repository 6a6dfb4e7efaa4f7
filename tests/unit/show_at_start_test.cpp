#include "app/show_at_start.h"

#include <gtest/gtest.h>

namespace nowplaying {
namespace {

TEST(ShowAtStart, OnlyAMinimizedOrHiddenStartKeepsTheWindowHidden)
{
    // SW_HIDE, SW_SHOWMINIMIZED, SW_MINIMIZE, SW_SHOWMINNOACTIVE (a shortcut's "Run:
    // Minimized", start /min) and SW_FORCEMINIMIZE.
    for (const int command : {0, 2, 6, 7, 11}) {
        EXPECT_FALSE(ShowsAboutAtStart(command)) << command;
    }
    // SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_SHOW, SW_SHOWNA, SW_RESTORE,
    // SW_SHOWDEFAULT (no show command given), and values ShowWindow does not know.
    for (const int command : {1, 3, 4, 5, 8, 9, 10, 12, -1}) {
        EXPECT_TRUE(ShowsAboutAtStart(command)) << command;
    }
}

} // namespace
} // namespace nowplaying
