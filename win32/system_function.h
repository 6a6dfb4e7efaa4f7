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

} // namespace nowplaying::win32
