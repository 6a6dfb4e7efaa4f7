// The desktop the measurements need: N visible, bordered, titled top-level windows
// owned by a process of their own, which answers the messages other processes send
// to them. The first window created (lowest in Z-order) can carry a player title.
//
//   window_host.exe --count N [--player]

#include "support/command_line.h"

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kClass[] = L"nowplaying.BenchWindow";
constexpr wchar_t kPlayerTitle[] = L"1. Bench Artist - Bench Song - Winamp";

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

} // namespace

int wmain()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const support::CommandLine args;
    const int count = args.Int(L"--count", 100);
    const bool player = args.Has(L"--player");

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);

    for (int i = 0; i < count; ++i) {
        // Titles as long as a typical document window's, none carrying the marker.
        const std::wstring title = (player && i == 0) ? std::wstring(kPlayerTitle)
                                                      : L"Bench window " + std::to_wstring(i) + L" - Untitled document";
        // Without a caption, and shown without being activated, the window is one Wine
        // keeps from the window manager, whose work on a thousand frames would otherwise
        // share the measuring core for seconds; the Win32 calls of a scan are the same.
        HWND window = CreateWindowExW(0, kClass, title.c_str(), WS_POPUP | WS_BORDER, 20 + (i % 40) * 25,
                                      20 + (i / 40 % 25) * 25, 220, 60, nullptr, nullptr, instance, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
