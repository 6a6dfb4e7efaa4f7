#pragma once
// The one shape of the program's windows: a class registered for as long as its
// owner lives, and a window procedure that hands every message to the C++ object
// the window was created for. The family-aware layer picks the A or W functions.

#include <windows.h>

namespace nowplaying::win32 {

class WindowBase;

// A window class, unregistered with its owner. Registration fails when the process
// already has a class of the name, or when the system is out of resources: then the
// object is empty and windows of the class cannot be created.
class WindowClass {
public:
    WindowClass() = default;
    WindowClass(const char16_t* name, HINSTANCE instance, HCURSOR cursor = nullptr, HBRUSH background = nullptr);
    ~WindowClass();
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    explicit operator bool() const { return m_atom != 0; }
    const char16_t* Name() const { return m_name; }
    HINSTANCE Instance() const { return m_instance; }

private:
    const char16_t* m_name = nullptr; // the caller's, which outlives the class
    ATOM m_atom = 0;
    HINSTANCE m_instance = nullptr;
};

// The object that receives the messages of the windows created through it, from
// WM_NCCREATE to WM_NCDESTROY. The windows' handles are owned by the derived class,
// which declares them after whatever they use.
class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

protected:
    WindowBase() = default;
    ~WindowBase() = default;

    // A window of windowClass whose messages go to HandleMessage; null when either the
    // class or the window could not be created.
    HWND CreateWindowT(const WindowClass& windowClass, DWORD exStyle, const char16_t* caption, DWORD style, int x,
                       int y, int width, int height, HWND owner);
    // The rest of hWnd's messages, its destruction included, get the default
    // processing: for an object that goes while its window stays a moment longer.
    static void Detach(HWND hWnd);

    virtual LRESULT HandleMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    friend class WindowClass;
    static LRESULT CALLBACK Procedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace nowplaying::win32
