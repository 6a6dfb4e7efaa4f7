#pragma once
// Functions newer than Windows 98 that a Win32 program or its runtime looks up at run
// time: the 95-family launcher of the end-to-end tests makes GetProcAddress find none
// of them. Static imports are held to the export lists beside this file instead, which
// the PE check also holds this list against.

namespace pe {

inline constexpr const char* kNewerThanWindows98[] = {"GetTickCount64",
                                                      "AddVectoredExceptionHandler",
                                                      "RemoveVectoredExceptionHandler",
                                                      "SetDefaultDllDirectories",
                                                      "AddDllDirectory",
                                                      "SetDllDirectoryW",
                                                      "SetDllDirectoryA",
                                                      "GetDpiForWindow",
                                                      "GetDpiForSystem",
                                                      "SetProcessDpiAwarenessContext",
                                                      "SetProcessDPIAware",
                                                      "SystemParametersInfoForDpi",
                                                      "AdjustWindowRectExForDpi",
                                                      "GetSystemMetricsForDpi",
                                                      "EnableNonClientDpiScaling",
                                                      "InitializeCriticalSectionEx",
                                                      "InitializeCriticalSectionAndSpinCount",
                                                      "InitializeSRWLock",
                                                      "AcquireSRWLockExclusive",
                                                      "InitOnceExecuteOnce",
                                                      "FlsAlloc",
                                                      "TryEnterCriticalSection",
                                                      "GetModuleHandleExW",
                                                      "GetFileSizeEx",
                                                      "ChangeWindowMessageFilter",
                                                      "ChangeWindowMessageFilterEx",
                                                      "Shell_NotifyIconGetRect",
                                                      "LoadIconMetric",
                                                      "LoadIconWithScaleDown",
                                                      "TaskDialog",
                                                      "GetProcessId",
                                                      "QueryFullProcessImageNameW",
                                                      "CreateEventExW",
                                                      "GetSystemTimePreciseAsFileTime",
                                                      "SetThreadDescription",
                                                      "WTSRegisterSessionNotification",
                                                      "ShutdownBlockReasonCreate",
                                                      "GetWindowDpiAwarenessContext",
                                                      "IsProcessDPIAware",
                                                      "AllowSetForegroundWindow",
                                                      "GetLayeredWindowAttributes",
                                                      "SetLayeredWindowAttributes",
                                                      "GetConsoleWindow",
                                                      "AttachConsole",
                                                      "GetNativeSystemInfo",
                                                      "IsWow64Process"};

} // namespace pe
