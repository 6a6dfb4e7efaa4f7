#include "frm_main.h"
#include "show_at_start.h"
#include "single_instance.h"
#include "win32/api.h"
#include "win32/dll_search.h"

#include <windows.h>

// The ANSI entry: the program reads no command line, and the runtime's ANSI start-up
// needs nothing that the 95 family's msvcrt.dll and kernel32 might lack.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    nowplaying::win32::RestrictDllSearchToSystem32();
    nowplaying::SingleInstance single;
    if (!single.Claim()) {
        return 0;
    }
    nowplaying::frmMain form(instance);
    // Without its windows or its timer the program cannot work as it should: it ends
    // before its icon is added rather than sit in the notification area pretending to.
    if (!form.Load()) {
        return 1;
    }
    // Shown once at start, so that a new user sees at once what runs and what it
    // detected; Ok hides it and the program goes on in the background. Started
    // minimized (from the Startup folder, say) it shows only its icon.
    if (nowplaying::ShowsAboutAtStart(showCommand)) {
        form.Show();
    }
    MSG msg;
    while (nowplaying::win32::GetMessageT(msg) > 0) {
        if (!nowplaying::win32::IsDialogMessageT(form.Handle(), msg)) {
            TranslateMessage(&msg);
            nowplaying::win32::DispatchMessageT(msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
