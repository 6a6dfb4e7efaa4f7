#include "window.h"

#include "win32/api.h"

namespace nowplaying::win32 {

WindowClass::WindowClass(const char16_t* name, HINSTANCE instance, HCURSOR cursor, HBRUSH background)
    : m_name(name),
      m_atom(RegisterClassExT({name, &WindowBase::Procedure, instance, cursor, background})),
      m_instance(instance)
{
}

WindowClass::~WindowClass()
{
    if (m_atom != 0) {
        UnregisterClassT(m_atom, m_instance);
    }
}

HWND WindowBase::CreateWindowT(const WindowClass& windowClass, DWORD exStyle, const char16_t* caption, DWORD style,
                               int x, int y, int width, int height, HWND owner)
{
    if (!windowClass) {
        return nullptr;
    }
    return CreateWindowExT(exStyle, windowClass.Name(), caption, style, x, y, width, height, owner, nullptr,
                           windowClass.Instance(), this);
}

void WindowBase::Detach(HWND hWnd)
{
    SetWindowLongPtrT(hWnd, GWLP_USERDATA, 0);
}

LRESULT CALLBACK WindowBase::Procedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        SetWindowLongPtrT(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(CreateParam(lParam)));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrT(hWnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcT(hWnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        Detach(hWnd);
    }
    return self->HandleMessage(hWnd, message, wParam, lParam);
}

} // namespace nowplaying::win32
