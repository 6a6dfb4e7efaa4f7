#pragma once
// The test display's desktop as a user meets it: Wine's notification area, the
// pointer and keyboard (driven with xdotool), and open popup menus.

#include "harness.h"

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The screen rectangles of the visible notification icons in Wine's tray window.
std::vector<RECT> VisibleTrayIcons();
bool WaitForIconCount(std::size_t count, Clock timeout);

// The texts of the tooltips Wine's tray shows for its icons, read across processes.
std::vector<std::wstring> TrayTooltips();

void Xdotool(const std::string& arguments);
// Moves the pointer to the rectangle's centre and clicks button (1 left, 3 right) there.
void ClickAt(const RECT& rect, int button);

// The open popup menu of a process (the system's menu window class), or null.
HWND VisibleMenuWindow(DWORD processId);
// A key pressed in the open menu, sent to the menu's own X window.
void PressKeyInMenu(HWND menu, const std::string& key);

} // namespace e2e
