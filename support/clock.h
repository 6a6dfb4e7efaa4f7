#pragma once
// Microseconds on QueryPerformanceCounter's clock, which every process of the
// machine shares: the stand-ins stamp events with it and the tests compare them.

#include <windows.h>

namespace support {

inline long long NowMicroseconds()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart / frequency.QuadPart * 1000000 +
           counter.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

} // namespace support
