#include "frm_main.h"
#include "show_at_start.h"
#include "single_instance.h"
#include "win32/api.h"
#include "win32/dll_search.h"

#include <windows.h>

namespace {

// A start that cannot work says why: to a user who double-clicked the program,
// nothing at all would have happened. The ANSI box works on every family.
int FailToStart(const char* reason)
{
    MessageBoxA(nullptr, reason, "nowplaying", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return 1;
}

} // namespace

// The ANSI entry: the program reads no command line, and the runtime's ANSI start-up
// needs nothing that the 95 family's msvcrt.dll and kernel32 might lack.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    nowplaying::win32::RestrictDllSearchToSystem32();
    nowplaying::SingleInstance single;
    switch (single.Claim()) {
    case nowplaying::SingleInstance::Result::Claimed: break;
    case nowplaying::SingleInstance::Result::ShownRunning: return 0;
    case nowplaying::SingleInstance::Result::NoAnswer:
        return FailToStart("nowplaying seems to be running already, but it does not answer.\n\n"
                           "Wait a moment and start it again, or end the running one with Ctrl+Alt+Del.");
    }
    nowplaying::frmMain form(instance);
    // Without its windows, its timer or its icon the program cannot work as it should:
    // it ends rather than run where the user cannot see or reach it.
    if (const char* reason = form.Load()) {
        return FailToStart(reason);
    }
    // Shown once at start, so that a new user sees at once what runs and what it
    // detected; Ok hides it and the program goes on in the background. Started
    // minimized (from the Startup folder, say) it shows only its icon.
    if (nowplaying::ShowsAboutAtStart(showCommand)) {
        form.Show();
    }
    MSG msg{};
    BOOL got = 0;
    while ((got = nowplaying::win32::GetMessageT(msg)) > 0) {
        if (!nowplaying::win32::IsDialogMessageT(form.Handle(), msg)) {
            TranslateMessage(&msg);
            nowplaying::win32::DispatchMessageT(msg);
        }
    }
    // -1: the loop itself failed, and msg holds no quit code.
    return got < 0 ? 1 : static_cast<int>(msg.wParam);
}
