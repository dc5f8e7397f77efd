#include "WINGLApp/W32TimeSource.h"

#include "Platform/Win32Timer.h"

namespace Vorm {

namespace {
const double kSecondsPerMillisecond = 0.001;
}

W32TimeSource::W32TimeSource()
{
    Win32::LARGE_INTEGER frequency;
    if (Win32::QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        m_dSecondsPerTick = 1.0 / static_cast<double>(frequency.QuadPart);
    else
        m_dSecondsPerTick = kSecondsPerMillisecond;
}

W32TimeSource::~W32TimeSource()
{
}

double W32TimeSource::GetTime()
{
    Win32::LARGE_INTEGER count;
    if (Win32::QueryPerformanceCounter(&count))
        return static_cast<double>(count.QuadPart) * m_dSecondsPerTick;
    // The millisecond timer has its own scale, whatever the counter's is.
    const std::uint64_t ms = Win32::timeGetTime();
    return static_cast<double>(ms) * kSecondsPerMillisecond;
}

} // namespace Vorm
