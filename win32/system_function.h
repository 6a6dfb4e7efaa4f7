#pragma once
// Functions that only newer Windows versions export, looked up at run time: the
// program must still load where they are missing.

#include <windows.h>

namespace nowplaying::win32 {

// The function name of the system DLL dll, which the process has loaded already, as
// an Fn; null where that DLL does not export it. Callers keep the result in a static,
// so that each name is looked up once.
template <typename Fn>
Fn SystemFunction(const char* dll, const char* name)
{
    const HMODULE module = GetModuleHandleA(dll);
    const FARPROC proc = module != nullptr ? GetProcAddress(module, name) : nullptr;
    // Through void(*)() so that the compiler accepts the change of signature.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// Lets message reach hWnd from programs of lower integrity, which Vista and later
// otherwise drop for every registered message and every message above WM_USER: a
// program started as administrator would miss them. Nothing to do on older systems.
void AllowFromLowerIntegrity(HWND hWnd, UINT message);

} // namespace nowplaying::win32
