#pragma once
// DPI queries that newer Windows versions answer per window. The functions are looked
// up at run time, so the program still loads on systems that lack them; there the
// answers fall back to the system DPI, the only one such systems have.

#include "win32/unique_handle.h"

#include <windows.h>

namespace nowplaying::win32 {

// WM_DPICHANGED, which Windows 8.1 and later send; not in every SDK this program
// builds with.
inline constexpr UINT DPI_CHANGED = 0x02E0;

// The DPI of the monitor the window is on, from GetDpiForWindow (Windows 10 1607 and
// later); 0 elsewhere.
UINT DpiOfWindow(HWND hWnd);
// The same from GetDpiForMonitor (8.1 and later); 0 elsewhere.
UINT DpiOfMonitor(HWND hWnd);
// DpiOfWindow, else the system DPI.
UINT WindowDpi(HWND hWnd);

// The system DPI: the screen's logical pixels per inch.
UINT SystemDpi();

// GetSystemMetricsForDpi, else the system-DPI metric scaled to dpi.
int SystemMetricForDpi(int index, UINT dpi);

// The program's icon resourceId at the size of the system metric (SM_CXICON,
// SM_CXSMICON) for dpi; null when it cannot be loaded.
UniqueIcon LoadIconForDpi(HINSTANCE instance, int resourceId, int metric, UINT dpi);

// The message font (the one dialogs use) at dpi; false when it cannot be read.
bool MessageFontForDpi(UINT dpi, LOGFONTW& font);

// The window size whose client area is clientWidth x clientHeight at dpi.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

} // namespace nowplaying::win32
