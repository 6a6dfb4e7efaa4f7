#pragma once
// A static text control used as a label whose caption the program reads and writes.
// The caption is mirrored so that reading it costs no system call and no allocation.

#include <windows.h>

#include <string>
#include <string_view>

namespace nowplaying::win32 {

class StaticLabel final {
public:
    StaticLabel() = default;
    explicit StaticLabel(HWND control) : m_hWnd(control) {}

    HWND Handle() const { return m_hWnd; }
    std::u16string_view Caption() const { return m_sCaption; }
    void SetCaption(std::u16string_view caption);

private:
    HWND m_hWnd = nullptr; // a child control, destroyed with its parent
    std::u16string m_sCaption;
};

} // namespace nowplaying::win32
