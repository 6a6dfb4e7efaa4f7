#pragma once
// What the Windows-side measurements share: the window host process and the wait
// for its windows.

#include "support/desktop.h"

#include <windows.h>

#include <string>

namespace bench {

// window_host.exe with count windows, returned once all of them are shown.
class WindowHost {
public:
    WindowHost(int count, bool player)
        : m_process(L"window_host.exe", L"--count " + std::to_wstring(count) + (player ? L" --player" : L""))
    {
        m_ready = support::WaitUntil([&] { return support::CountProcessWindows(m_process.Id()) >= count; },
                                     std::chrono::seconds(120));
    }
    bool Ready() const { return m_ready; }
    support::Process& process() { return m_process; }

private:
    support::Process m_process;
    bool m_ready = false;
};

} // namespace bench
