#pragma once
// A static text control used as a label whose caption the program reads and writes.
// The caption is mirrored so that reading it costs no system call and no allocation.

#include "app/poll_cycle.h"

#include <windows.h>

#include <string>

namespace nowplaying::win32 {

class StaticLabel final : public SongLabel {
public:
    StaticLabel() = default;
    explicit StaticLabel(HWND control) : m_hWnd(control) {}

    HWND Handle() const { return m_hWnd; }
    std::u16string_view Caption() const override { return m_sCaption; }
    void SetCaption(std::u16string_view caption) override;

private:
    HWND m_hWnd = nullptr; // a child control, destroyed with its parent
    std::u16string m_sCaption;
};

} // namespace nowplaying::win32
