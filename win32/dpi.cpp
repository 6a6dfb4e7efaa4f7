#include "dpi.h"

#include "api.h"

#include <cstddef>

namespace nowplaying::win32 {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// Null where this user32 does not export the function; callers keep the result in
// a static, so each name is looked up once.
template <typename Fn>
Fn User32Function(const char* name)
{
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    const FARPROC proc = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
    // Through void(*)() so that the compiler accepts the change of signature.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

constexpr int kDefaultDpi = 96;

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

UINT WindowDpi(HWND hWnd)
{
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(hWnd) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    static const auto getSystemMetricsForDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi != nullptr) {
        return getSystemMetricsForDpi(index, dpi);
    }
    return Rescale(GetSystemMetrics(index), SystemDpi(), dpi);
}

bool MessageFontForDpi(UINT dpi, LOGFONTW& font)
{
    static const auto systemParametersInfoForDpi =
        User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
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
    static const auto adjustWindowRectExForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjustWindowRectExForDpi == nullptr || !adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace nowplaying::win32
