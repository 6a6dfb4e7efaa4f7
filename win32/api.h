#pragma once
// The family-aware calls: W functions on the NT family, A functions on the 95 family.
//
// On the Windows 95 family nearly every W function is a stub that fails with
// ERROR_CALL_NOT_IMPLEMENTED, so there the calls below go to the A function, with texts
// converted to and from the system ANSI code page. On the NT family the W functions
// keep every text intact. The family is read once, on first use; callers never ask for it.
//
// The rule for the rest of the program: a call that carries the program's or the user's
// text (captions, titles, labels, menu items, window and mutex names) goes through
// this layer. A call that carries no text (GetWindowLong, SendMessageTimeout with a
// message the system does not convert, such as WM_COPYDATA or a private message), or
// only ASCII fixed in the program (a class or module name, a message box's message),
// may call the A function directly: it does the same on both families. So may the
// notification-icon records, whose ANSI and Unicode layouts the tray component chooses
// itself, and the few W functions that the 95 family implements (FindResourceW,
// GetTextExtentPoint32W). A program that is wide wherever it
// runs compiles this layer with NOWPLAYING_WIDE_FUNCTIONS_ONLY defined.
//
// The "T" suffix names the family's variant, as the platform's own generic-text names do.
// Texts are null-terminated UTF-16; class names and system resource names are ASCII.

#include "win32/unique_handle.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace nowplaying::win32 {

// True where this layer calls the A functions (the 95 family).
bool UsesAnsiFunctions();

// The system ANSI code page's bytes for text, and back. Characters the code page lacks
// become its default character.
std::string ToAnsi(std::u16string_view text);
std::u16string FromAnsi(std::string_view bytes);

struct WindowClassT {
    const char16_t* name;
    WNDPROC procedure;
    HINSTANCE instance;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

ATOM RegisterClassExT(const WindowClassT& windowClass);
BOOL UnregisterClassT(ATOM windowClass, HINSTANCE instance);
HWND CreateWindowExT(DWORD exStyle, const char16_t* className, const char16_t* caption, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// The creation parameter of WM_NCCREATE's CREATESTRUCT, which both families place alike.
void* CreateParam(LPARAM ncCreateLParam);

// Messages without text, or whose text the system converts for the window's family.
LRESULT DefWindowProcT(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL GetMessageT(MSG& msg);
BOOL IsDialogMessageT(HWND dialog, MSG& msg);
LRESULT DispatchMessageT(const MSG& msg);
BOOL PostMessageT(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageT(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendDlgItemMessageT(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR GetWindowLongPtrT(HWND hWnd, int index);
LONG_PTR SetWindowLongPtrT(HWND hWnd, int index, LONG_PTR value);

BOOL SetWindowTextT(HWND hWnd, const char16_t* text);
// The length of the window's text in the family's characters (bytes of the ANSI code page
// on the 95 family, UTF-16 units on NT), as GetWindowTextT counts them.
int GetWindowTextLengthT(HWND hWnd);
// Reads at most capacity - 1 of the window's characters into text, as UTF-16, and returns
// how many the system copied (0 for none), counted as GetWindowTextLengthT counts; a result
// of capacity - 1 means that the text may have been cut. text keeps its storage: a read
// that fits the storage text already has allocates nothing.
int GetWindowTextT(HWND hWnd, std::u16string& text, int capacity);

UINT RegisterWindowMessageT(const char16_t* name);
HWND FindWindowT(const char16_t* className);
// A named mutex, created or opened; alreadyExists tells which.
UniqueKernelHandle CreateMutexT(const char16_t* name, bool& alreadyExists);

// A resource of the program (IMAGE_ICON, IMAGE_CURSOR) at the given size.
HANDLE LoadImageT(HINSTANCE instance, int resourceId, UINT type, int width, int height, UINT flags);
// The system's application icon (IDI_APPLICATION) and arrow cursor (IDC_ARROW).
HICON LoadApplicationIconT();
HCURSOR LoadArrowCursorT();

// Lets message reach hWnd from programs of lower integrity, which Vista and later
// otherwise drop for every registered message and every message above WM_USER: a
// program started as administrator would miss them. Nothing to do on older systems.
void AllowFromLowerIntegrity(HWND hWnd, UINT message);

BOOL AppendMenuT(HMENU menu, UINT flags, UINT_PTR id, const char16_t* text);

// The message font (the one dialogs use) at the system DPI; false when it cannot be read.
bool GetMessageFontT(LOGFONTW& font);
HFONT CreateFontIndirectT(const LOGFONTW& font);

} // namespace nowplaying::win32
