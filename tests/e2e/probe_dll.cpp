// A DLL that exists only in the test programs' own folder: loading it succeeds
// only if that folder is searched.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
