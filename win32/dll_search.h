#pragma once

namespace nowplaying::win32 {

// Makes the process load DLLs from System32 only, never from its own folder, where
// the platform offers it (Windows 8, and 7 with its update). Looked up at run time,
// so the program still loads on Windows versions without it.
void RestrictDllSearchToSystem32();

} // namespace nowplaying::win32
