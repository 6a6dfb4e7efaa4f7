#pragma once
// One program per session: a second start shows the running program's About window
// and ends, rather than adding a second icon and sending every song twice.

#include "win32/unique_handle.h"

namespace nowplaying {

class SingleInstance {
public:
    // True when this process is the session's program: none ran, or the one that ran
    // has ended meanwhile. False when one runs: it has been asked to show its About
    // window, and this process should end.
    bool Claim();

private:
    // Held for the process's whole life: its existence is what a second start sees.
    win32::UniqueKernelHandle m_mutex;
};

} // namespace nowplaying
