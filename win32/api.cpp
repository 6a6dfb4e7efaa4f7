#include "api.h"

#include "win32/system_function.h"
#include "win32/text.h"

#include <cstddef>
#include <cstring>

namespace nowplaying::win32 {

namespace {

// The functions whose A and W forms take the same arguments, chosen once.
struct Functions {
    bool ansi;
    decltype(&::DefWindowProcW) defWindowProc;
    decltype(&::GetMessageW) getMessage;
    decltype(&::IsDialogMessageW) isDialogMessage;
    decltype(&::DispatchMessageW) dispatchMessage;
    decltype(&::PostMessageW) postMessage;
    decltype(&::SendMessageW) sendMessage;
    decltype(&::SendDlgItemMessageW) sendDlgItemMessage;
    decltype(&::GetWindowLongPtrW) getWindowLongPtr;
    decltype(&::SetWindowLongPtrW) setWindowLongPtr;
    decltype(&::GetWindowTextLengthW) getWindowTextLength;
};

constexpr Functions kAnsiFunctions{true,
                                   ::DefWindowProcA,
                                   ::GetMessageA,
                                   ::IsDialogMessageA,
                                   ::DispatchMessageA,
                                   ::PostMessageA,
                                   ::SendMessageA,
                                   ::SendDlgItemMessageA,
                                   ::GetWindowLongPtrA,
                                   ::SetWindowLongPtrA,
                                   ::GetWindowTextLengthA};
constexpr Functions kWideFunctions{false,
                                   ::DefWindowProcW,
                                   ::GetMessageW,
                                   ::IsDialogMessageW,
                                   ::DispatchMessageW,
                                   ::PostMessageW,
                                   ::SendMessageW,
                                   ::SendDlgItemMessageW,
                                   ::GetWindowLongPtrW,
                                   ::SetWindowLongPtrW,
                                   ::GetWindowTextLengthW};

const Functions& Api()
{
#ifdef NOWPLAYING_WIDE_FUNCTIONS_ONLY
    return kWideFunctions;
#else
    static const Functions& functions = (GetVersion() & 0x80000000u) != 0 ? kAnsiFunctions : kWideFunctions;
    return functions;
#endif
}

bool Ansi()
{
    return Api().ansi;
}

// The null-terminated ANSI form of a null-terminated text; null stays null.
class AnsiText {
public:
    explicit AnsiText(const char16_t* text) : m_null(text == nullptr)
    {
        if (text != nullptr) {
            m_text = ToAnsi(text);
        }
    }
    const char* get() const { return m_null ? nullptr : m_text.c_str(); }

private:
    bool m_null;
    std::string m_text;
};

void FontFromAnsi(const LOGFONTA& ansi, LOGFONTW& font)
{
    static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName));
    std::memcpy(&font, &ansi, offsetof(LOGFONTA, lfFaceName));
    const std::u16string face = FromAnsi({ansi.lfFaceName, strnlen(ansi.lfFaceName, LF_FACESIZE)});
    const std::size_t length = face.size() < LF_FACESIZE ? face.size() : LF_FACESIZE - 1;
    std::memcpy(font.lfFaceName, face.data(), length * sizeof(char16_t));
    font.lfFaceName[length] = L'\0';
}

} // namespace

bool UsesAnsiFunctions()
{
    return Ansi();
}

std::string ToAnsi(std::u16string_view text)
{
    if (text.empty()) {
        return {};
    }
    const wchar_t* wide = Wide(text.data());
    const int count = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_ACP, 0, wide, count, ansi.data(), bytes, nullptr, nullptr);
    }
    return ansi;
}

std::u16string FromAnsi(std::string_view bytes)
{
    if (bytes.empty()) {
        return {};
    }
    const int count = static_cast<int>(bytes.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
    std::u16string text(static_cast<std::size_t>(chars > 0 ? chars : 0), u'\0');
    if (chars > 0) {
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, Wide(text.data()), chars);
    }
    return text;
}

ATOM RegisterClassExT(const WindowClassT& windowClass)
{
    const auto fill = [&windowClass](auto& wc) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = windowClass.procedure;
        wc.hInstance = windowClass.instance;
        wc.hCursor = windowClass.cursor;
        wc.hbrBackground = windowClass.background;
    };
    if (Ansi()) {
        const AnsiText name(windowClass.name);
        WNDCLASSEXA wc{};
        fill(wc);
        wc.lpszClassName = name.get();
        return RegisterClassExA(&wc);
    }
    WNDCLASSEXW wc{};
    fill(wc);
    wc.lpszClassName = Wide(windowClass.name);
    return RegisterClassExW(&wc);
}

BOOL UnregisterClassT(ATOM windowClass, HINSTANCE instance)
{
    const auto atom = static_cast<ULONG_PTR>(windowClass);
    if (Ansi()) {
        return UnregisterClassA(reinterpret_cast<LPCSTR>(atom), instance);
    }
    return UnregisterClassW(reinterpret_cast<LPCWSTR>(atom), instance);
}

HWND CreateWindowExT(DWORD exStyle, const char16_t* className, const char16_t* caption, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    if (Ansi()) {
        return CreateWindowExA(exStyle, AnsiText(className).get(), AnsiText(caption).get(), style, x, y, width, height,
                               parent, menu, instance, param);
    }
    return CreateWindowExW(exStyle, Wide(className), Wide(caption), style, x, y, width, height, parent, menu, instance,
                           param);
}

void* CreateParam(LPARAM ncCreateLParam)
{
    static_assert(offsetof(CREATESTRUCTA, lpCreateParams) == offsetof(CREATESTRUCTW, lpCreateParams));
    return reinterpret_cast<const CREATESTRUCTW*>(ncCreateLParam)->lpCreateParams;
}

LRESULT DefWindowProcT(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Api().defWindowProc(hWnd, message, wParam, lParam);
}

BOOL GetMessageT(MSG& msg)
{
    return Api().getMessage(&msg, nullptr, 0, 0);
}

BOOL IsDialogMessageT(HWND dialog, MSG& msg)
{
    return Api().isDialogMessage(dialog, &msg);
}

LRESULT DispatchMessageT(const MSG& msg)
{
    return Api().dispatchMessage(&msg);
}

BOOL PostMessageT(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Api().postMessage(hWnd, message, wParam, lParam);
}

LRESULT SendMessageT(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Api().sendMessage(hWnd, message, wParam, lParam);
}

LRESULT SendDlgItemMessageT(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Api().sendDlgItemMessage(dialog, id, message, wParam, lParam);
}

LONG_PTR GetWindowLongPtrT(HWND hWnd, int index)
{
    return Api().getWindowLongPtr(hWnd, index);
}

LONG_PTR SetWindowLongPtrT(HWND hWnd, int index, LONG_PTR value)
{
    return Api().setWindowLongPtr(hWnd, index, value);
}

BOOL SetWindowTextT(HWND hWnd, const char16_t* text)
{
    if (Ansi()) {
        return SetWindowTextA(hWnd, AnsiText(text).get());
    }
    return SetWindowTextW(hWnd, Wide(text));
}

int GetWindowTextLengthT(HWND hWnd)
{
    return Api().getWindowTextLength(hWnd);
}

int GetWindowTextT(HWND hWnd, std::u16string& text, int capacity)
{
    if (capacity <= 1) {
        text.clear();
        return 0;
    }
    if (Ansi()) {
        // Kept between calls, as the caller keeps text: the walk reads every title of
        // every tick through here, on the one user-interface thread.
        static std::string bytes;
        bytes.resize(static_cast<std::size_t>(capacity));
        const int copied = GetWindowTextA(hWnd, bytes.data(), capacity);
        // A character of the code page is one or two bytes and gives one UTF-16 unit.
        text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
        const int units =
            copied > 0 ? MultiByteToWideChar(CP_ACP, 0, bytes.data(), copied, Wide(text.data()), copied) : 0;
        text.resize(static_cast<std::size_t>(units > 0 ? units : 0));
        return copied > 0 ? copied : 0;
    }
    text.resize(static_cast<std::size_t>(capacity));
    const int copied = GetWindowTextW(hWnd, Wide(text.data()), capacity);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return copied > 0 ? copied : 0;
}

UINT RegisterWindowMessageT(const char16_t* name)
{
    if (Ansi()) {
        return RegisterWindowMessageA(AnsiText(name).get());
    }
    return RegisterWindowMessageW(Wide(name));
}

HWND FindWindowT(const char16_t* className)
{
    if (Ansi()) {
        return FindWindowA(AnsiText(className).get(), nullptr);
    }
    return FindWindowW(Wide(className), nullptr);
}

UniqueKernelHandle CreateMutexT(const char16_t* name, bool& alreadyExists)
{
    const HANDLE mutex =
        Ansi() ? CreateMutexA(nullptr, FALSE, AnsiText(name).get()) : CreateMutexW(nullptr, FALSE, Wide(name));
    alreadyExists = mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    return UniqueKernelHandle(mutex);
}

HANDLE LoadImageT(HINSTANCE instance, int resourceId, UINT type, int width, int height, UINT flags)
{
    if (Ansi()) {
        return LoadImageA(instance, MAKEINTRESOURCEA(resourceId), type, width, height, flags);
    }
    return LoadImageW(instance, MAKEINTRESOURCEW(resourceId), type, width, height, flags);
}

// The macros IDI_APPLICATION and IDC_ARROW are typed for one character set.
HICON LoadApplicationIconT()
{
    constexpr WORD kApplication = 32512;
    return Ansi() ? LoadIconA(nullptr, MAKEINTRESOURCEA(kApplication))
                  : LoadIconW(nullptr, MAKEINTRESOURCEW(kApplication));
}

HCURSOR LoadArrowCursorT()
{
    constexpr WORD kArrow = 32512;
    return Ansi() ? LoadCursorA(nullptr, MAKEINTRESOURCEA(kArrow)) : LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrow));
}

void AllowFromLowerIntegrity(HWND hWnd, UINT message)
{
    using ForWindowFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using ForProcessFn = BOOL(WINAPI*)(UINT, DWORD);
    constexpr DWORD kAllow = 1; // MSGFLT_ALLOW, and MSGFLT_ADD for the process-wide filter
    // Windows 7 and later filter per window; Vista only for the whole process.
    static const auto forWindow = SystemFunction<ForWindowFn>("user32.dll", "ChangeWindowMessageFilterEx");
    static const auto forProcess = SystemFunction<ForProcessFn>("user32.dll", "ChangeWindowMessageFilter");
    if (forWindow != nullptr) {
        forWindow(hWnd, message, kAllow, nullptr);
    } else if (forProcess != nullptr) {
        forProcess(message, kAllow);
    }
}

BOOL AppendMenuT(HMENU menu, UINT flags, UINT_PTR id, const char16_t* text)
{
    if (Ansi()) {
        return AppendMenuA(menu, flags, id, AnsiText(text).get());
    }
    return AppendMenuW(menu, flags, id, Wide(text));
}

bool GetMessageFontT(LOGFONTW& font)
{
    // The size without the padded-border member that Vista added: every version from
    // Windows 95 on accepts it, and lfMessageFont is part of it.
    if (Ansi()) {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = static_cast<UINT>(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA));
        if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
            return false;
        }
        FontFromAnsi(metrics.lfMessageFont, font);
        return true;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = static_cast<UINT>(offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW));
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        return false;
    }
    font = metrics.lfMessageFont;
    return true;
}

HFONT CreateFontIndirectT(const LOGFONTW& font)
{
    if (!Ansi()) {
        return CreateFontIndirectW(&font);
    }
    LOGFONTA ansi{};
    std::memcpy(&ansi, &font, offsetof(LOGFONTA, lfFaceName));
    const std::string face = ToAnsi(Utf16(font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE)));
    // Cut on a character boundary: half a double-byte character would name another face.
    std::size_t length = 0;
    while (length < face.size()) {
        const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(face[length])) ? 2 : 1;
        if (length + step > LF_FACESIZE - 1) {
            break;
        }
        length += step;
    }
    std::memcpy(ansi.lfFaceName, face.data(), length);
    ansi.lfFaceName[length] = '\0';
    return CreateFontIndirectA(&ansi);
}

} // namespace nowplaying::win32
