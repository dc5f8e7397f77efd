#ifndef VORM_PLATFORM_WIN32TIMER_H
#define VORM_PLATFORM_WIN32TIMER_H

#include "Platform/Win32Types.h"

// High-resolution timing: the performance counter, its frequency and the
// millisecond timer, over the monotonic system clock.
namespace Win32 {

// Ticks per second of the performance counter; zero result on failure.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* pFrequency);

// Current performance counter value; zero result on failure.
BOOL QueryPerformanceCounter(LARGE_INTEGER* pCount);

// Milliseconds since an arbitrary fixed origin; wraps around at 2^32.
DWORD timeGetTime();

// Test support only: replaces the real clock so timing code can be driven
// step by step. The override is read on every call, so a test changes its
// fields to move time on. Pass null to return to the real clock.
struct TimerOverride
{
    bool frequencyWorks;    // false: QueryPerformanceFrequency fails
    bool counterWorks;      // false: QueryPerformanceCounter fails
    LONGLONG frequency;     // ticks per second reported
    LONGLONG count;         // counter value reported
    DWORD milliseconds;     // timeGetTime value reported
};

void SetTimerOverride(const TimerOverride* pOverride);

} // namespace Win32

#endif
