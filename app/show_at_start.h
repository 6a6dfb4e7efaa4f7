#pragma once
// Whether the About window opens at start, from the show command the program was
// started with (WinMain's last argument). Pure logic: the commands are ShowWindow's
// values, which never change.

namespace nowplaying {

// Started minimized or hidden (a shortcut set to run minimized, "start /min"), the
// program shows only its icon. Every other command, one it does not know among them,
// opens the window once, as a plain start does.
bool ShowsAboutAtStart(int showCommand);

} // namespace nowplaying
