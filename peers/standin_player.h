#pragma once
// What the tests send the stand-in player besides WM_SETTEXT, which gives it a new
// caption.

#include <windows.h>

namespace peers {

// wParam nonzero: the caption scrolls from now on, starting over; zero: it stands plain.
inline constexpr UINT kScrollMessage = WM_APP;
// Answers how many scroll steps were written since the caption was last written plain.
inline constexpr UINT kStepsMessage = WM_APP + 1;

} // namespace peers
