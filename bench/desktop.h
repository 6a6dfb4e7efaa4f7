#pragma once
// What the Windows-side measurements share: the window host process and the wait
// for its windows.

#include "tests/e2e/harness.h"

#include <windows.h>

#include <string>

namespace bench {

struct WindowCount {
    DWORD processId;
    int count;
};

inline BOOL CALLBACK CountWindow(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowCount*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search->processId && IsWindowVisible(hWnd)) {
        ++search->count;
    }
    return TRUE;
}

// Visible top-level windows owned by the process.
inline int CountProcessWindows(DWORD processId)
{
    WindowCount search{processId, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

// window_host.exe with count windows, returned once all of them are shown.
class WindowHost {
public:
    WindowHost(int count, bool player)
        : m_process(L"window_host.exe", L"--count " + std::to_wstring(count) + (player ? L" --player" : L""))
    {
        m_ready = e2e::WaitUntil([&] { return CountProcessWindows(m_process.Id()) >= count; }, std::chrono::seconds(120));
    }
    bool Ready() const { return m_ready; }
    e2e::Process& process() { return m_process; }

private:
    e2e::Process m_process;
    bool m_ready = false;
};

} // namespace bench
