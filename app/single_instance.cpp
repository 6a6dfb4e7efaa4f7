#include "single_instance.h"

#include "app/frm_main.h"
#include "win32/api.h"

#include <windows.h>

namespace nowplaying {

namespace {

// Without a namespace prefix the name lives in the session's own namespace wherever
// the NT family has sessions, and the 95 family, which has one session, knows no
// prefixes.
constexpr char16_t kMutexName[] = u"nowplaying.running";
// The running program creates its window a moment after its mutex, and ends a moment
// after its window: the second start looks again for a while.
constexpr int kLooks = 50;
constexpr DWORD kLookEveryMs = 100;
constexpr UINT kShowTimeoutMs = 5000;

} // namespace

SingleInstance::Result SingleInstance::Claim()
{
    for (int look = 0; look < kLooks; ++look) {
        bool running = false;
        m_mutex = win32::CreateMutexT(kMutexName, running);
        // A mutex of the same name that this user may not open was made by the program
        // running with other rights (elevated, say).
        running = running || (!m_mutex && GetLastError() == ERROR_ACCESS_DENIED);
        if (!running) {
            return Result::Claimed;
        }
        m_mutex.reset();
        if (HWND hRunning = win32::FindWindowT(frmMain::WINDOW_CLASS)) {
            // The message carries no text, so the ANSI function serves both families. A
            // send that fails (hung, or refused by a copy with other rights) showed
            // nothing: this start must not pass for one that did.
            DWORD_PTR ignored = 0;
            if (SendMessageTimeoutA(hRunning, frmMain::SHOW_ABOUT_MESSAGE, 0, 0, SMTO_ABORTIFHUNG, kShowTimeoutMs,
                                    &ignored) == 0) {
                return Result::NoAnswer;
            }
            // A program the user has just started may bring a window to the front;
            // the running one, in the background, may not.
            SetForegroundWindow(hRunning);
            return Result::ShownRunning;
        }
        Sleep(kLookEveryMs);
    }
    return Result::NoAnswer;
}

} // namespace nowplaying
