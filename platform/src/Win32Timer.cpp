#include "Platform/Win32Timer.h"

#include <ctime>

namespace Win32 {
namespace {

const TimerOverride* g_pOverride = nullptr;

const LONGLONG kNanosecondsPerSecond = 1000000000LL;

bool ReadMonotonic(LONGLONG& nanoseconds)
{
    timespec ts;
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0)
        return false;
    nanoseconds = static_cast<LONGLONG>(ts.tv_sec) * kNanosecondsPerSecond + ts.tv_nsec;
    return true;
}

} // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* pFrequency)
{
    if (!pFrequency)
        return 0;
    if (g_pOverride)
    {
        if (!g_pOverride->frequencyWorks)
            return 0;
        pFrequency->QuadPart = g_pOverride->frequency;
        return 1;
    }
    pFrequency->QuadPart = kNanosecondsPerSecond;
    return 1;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* pCount)
{
    if (!pCount)
        return 0;
    if (g_pOverride)
    {
        if (!g_pOverride->counterWorks)
            return 0;
        pCount->QuadPart = g_pOverride->count;
        return 1;
    }
    LONGLONG ns;
    if (!ReadMonotonic(ns))
        return 0;
    pCount->QuadPart = ns;
    return 1;
}

DWORD timeGetTime()
{
    if (g_pOverride)
        return g_pOverride->milliseconds;
    LONGLONG ns = 0;
    ReadMonotonic(ns);
    // Keep the low 32 bits, so the value wraps like the system's timer.
    return static_cast<DWORD>(static_cast<std::uint64_t>(ns / 1000000LL));
}

void SetTimerOverride(const TimerOverride* pOverride)
{
    g_pOverride = pOverride;
}

} // namespace Win32
