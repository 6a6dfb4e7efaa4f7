// Stand-in for the media player: a visible, bordered top-level window whose title
// carries the player's marker. Tests change the title with WM_SETTEXT; the demo
// lets it cycle through a few songs.
//
//   standin_player.exe [--title TEXT] [--cycle MILLISECONDS]

#include "peers/command_line.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kClass[] = L"nowplaying.StandInPlayer";
constexpr UINT_PTR kCycleTimer = 1;

const std::vector<std::wstring> kDemoTitles = {
    L"1. The Stand-ins - Window Title Blues - Winamp",
    L"2. Ærøskøbing Brass - Ballade für Zoë - Winamp",
    L"3. 架空の楽団 - 夜明けの歌 - Winamp",
    L"4. Κουαρτέτο Δέλτα - Καλοκαίρι - Winamp",
    L"5. The Stand-ins - Window Title Blues (Reprise) - Winamp [Paused]",
};
std::size_t g_next = 1;

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        SetWindowTextW(hWnd, kDemoTitles[g_next].c_str());
        g_next = (g_next + 1) % kDemoTitles.size();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hWnd, &ps);
        wchar_t title[1024];
        const int length = GetWindowTextW(hWnd, title, 1024);
        RECT rc;
        GetClientRect(hWnd, &rc);
        DrawTextW(dc, title, length, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcW(hWnd, message, wParam, lParam);
        InvalidateRect(hWnd, nullptr, TRUE);
        return result;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace

int wmain()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const peers::CommandLine args;
    const std::wstring title = args.Value(L"--title", kDemoTitles[0]);
    const int cycleMs = args.Int(L"--cycle", 0);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);

    HWND hWnd = CreateWindowExW(0, kClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                560, 90, nullptr, nullptr, instance, nullptr);
    if (hWnd == nullptr) {
        return 1;
    }
    if (cycleMs > 0) {
        SetTimer(hWnd, kCycleTimer, static_cast<UINT>(cycleMs), nullptr);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
