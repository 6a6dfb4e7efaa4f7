#pragma once
// What both stand-ins share: one visible top-level window of a class of their own,
// whose destruction ends the message loop.

#include "win32/api.h"
#include "win32/unique_handle.h"
#include "win32/window.h"

#include <windows.h>

#include <string>

namespace peers {

class PeerWindow : private nowplaying::win32::WindowBase {
public:
    HWND Handle() const { return m_hWnd.get(); }

    // Creates the window, visible, at (x, y); false when it could not be created.
    bool Create(const std::wstring& caption, int x, int y)
    {
        m_hWnd.reset(CreateWindowT(m_class, 0, reinterpret_cast<const char16_t*>(caption.c_str()),
                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 560, 90, nullptr));
        return static_cast<bool>(m_hWnd);
    }

    // Until the window is destroyed.
    static void RunMessageLoop()
    {
        MSG msg;
        while (nowplaying::win32::GetMessageT(msg) > 0) {
            TranslateMessage(&msg);
            nowplaying::win32::DispatchMessageT(msg);
        }
    }

protected:
    PeerWindow(const char16_t* className, int backgroundColor)
        : m_class(className, GetModuleHandleW(nullptr), nowplaying::win32::LoadArrowCursorT(),
                  reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColor + 1)))
    {
    }
    ~PeerWindow() = default;

    // The peer's own messages; the rest get the default processing.
    virtual LRESULT OnMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return nowplaying::win32::DefWindowProcT(hWnd, message, wParam, lParam);
    }

private:
    LRESULT HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) final
    {
        if (message == WM_DESTROY) {
            m_hWnd.release();
            PostQuitMessage(0);
            return 0;
        }
        return OnMessage(hWnd, message, wParam, lParam);
    }

    nowplaying::win32::WindowClass m_class;
    nowplaying::win32::UniqueWindow m_hWnd;
};

} // namespace peers
