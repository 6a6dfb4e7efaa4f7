#include "dpi.h"

#include "api.h"
#include "system_function.h"

#include <cstddef>

namespace nowplaying::win32 {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr int kDefaultDpi = 96;

// shcore.dll, which only 8.1 and later have, is not loaded with the program. It is
// loaded from the system folder alone, which LoadLibraryEx can be held to where
// SetDefaultDllDirectories exists, and stays loaded, as the function taken from it is
// kept for the process's life.
GetDpiForMonitorFn LoadGetDpiForMonitor()
{
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (SystemFunction<void (*)()>("kernel32.dll", "SetDefaultDllDirectories") == nullptr) {
        return nullptr;
    }
    const HMODULE shcore = LoadLibraryExA("shcore.dll", nullptr, kSearchSystem32);
    const FARPROC proc = shcore != nullptr ? GetProcAddress(shcore, "GetDpiForMonitor") : nullptr;
    return reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void (*)()>(proc));
}

// value, given at fromDpi, at toDpi: MulDiv rounds halves away from zero.
int Rescale(int value, UINT fromDpi, UINT toDpi)
{
    return MulDiv(value, static_cast<int>(toDpi), static_cast<int>(fromDpi));
}

} // namespace

UINT SystemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : static_cast<UINT>(kDefaultDpi);
}

UINT DpiOfWindow(HWND hWnd)
{
    static const auto getDpiForWindow = SystemFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    return getDpiForWindow != nullptr && hWnd != nullptr ? getDpiForWindow(hWnd) : 0;
}

UINT DpiOfMonitor(HWND hWnd)
{
    static const auto monitorFromWindow = SystemFunction<MonitorFromWindowFn>("user32.dll", "MonitorFromWindow");
    static const auto getDpiForMonitor = LoadGetDpiForMonitor();
    const HMONITOR monitor =
        monitorFromWindow != nullptr && hWnd != nullptr ? monitorFromWindow(hWnd, MONITOR_DEFAULTTONULL) : nullptr;
    constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
    UINT dpi = 0;
    UINT ignored = 0;
    if (getDpiForMonitor == nullptr || monitor == nullptr ||
        FAILED(getDpiForMonitor(monitor, kEffectiveDpi, &dpi, &ignored))) {
        return 0;
    }
    return dpi;
}

UINT WindowDpi(HWND hWnd)
{
    const UINT dpi = DpiOfWindow(hWnd);
    return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    static const auto getSystemMetricsForDpi =
        SystemFunction<GetSystemMetricsForDpiFn>("user32.dll", "GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi != nullptr) {
        return getSystemMetricsForDpi(index, dpi);
    }
    return Rescale(GetSystemMetrics(index), SystemDpi(), dpi);
}

UniqueIcon LoadIconForDpi(HINSTANCE instance, int resourceId, int metric, UINT dpi)
{
    const int size = SystemMetricForDpi(metric, dpi);
    return UniqueIcon(static_cast<HICON>(LoadImageT(instance, resourceId, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

bool MessageFontForDpi(UINT dpi, LOGFONTW& font)
{
    static const auto systemParametersInfoForDpi =
        SystemFunction<SystemParametersInfoForDpiFn>("user32.dll", "SystemParametersInfoForDpi");
    // Only current systems have the per-DPI query, and only in its wide form. The
    // size leaves out the padded-border member that Vista added.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = static_cast<UINT>(offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW));
    if (systemParametersInfoForDpi != nullptr &&
        systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi)) {
        font = metrics.lfMessageFont;
        return true;
    }
    if (!GetMessageFontT(font)) {
        return false;
    }
    font.lfHeight = Rescale(font.lfHeight, SystemDpi(), dpi);
    return true;
}

SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi)
{
    static const auto adjustWindowRectExForDpi =
        SystemFunction<AdjustWindowRectExForDpiFn>("user32.dll", "AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjustWindowRectExForDpi == nullptr || !adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace nowplaying::win32
