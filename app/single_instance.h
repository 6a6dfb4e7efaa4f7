#pragma once
// One program per session: a second start shows the running program's About window
// and ends, rather than adding a second icon and sending every song twice.

#include "win32/unique_handle.h"

namespace nowplaying {

class SingleInstance {
public:
    enum class Result {
        // This process is the session's program: none ran, or the one that ran has
        // ended meanwhile.
        Claimed,
        // One runs, and was asked to show its About window: this process should end.
        ShownRunning,
        // One seems to run (its mutex is there) but no window of it answers, or its
        // window refused the request: hung, or started with other rights.
        NoAnswer,
    };

    Result Claim();

private:
    // Held for the process's whole life: its existence is what a second start sees.
    win32::UniqueKernelHandle m_mutex;
};

} // namespace nowplaying
