#include "frm_main.h"
#include "win32/dll_search.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    nowplaying::win32::RestrictDllSearchToSystem32();
    nowplaying::frmMain form(instance);
    if (!form.Load()) {
        return 1;
    }
    // Shown once at start, so that a new user sees at once what runs and what it
    // detected; Ok hides it and the program goes on in the background.
    form.Show();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(form.Handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
