#ifndef VORM_PLATFORM_WIN32TYPES_H
#define VORM_PLATFORM_WIN32TYPES_H

#include <cstdint>

// The few Windows-style types that the platform layer's functions take and
// return. They live in namespace Win32 so they never meet the same names
// declared by X11 or other system headers.
namespace Win32 {

// Nonzero for success, zero for failure.
typedef int BOOL;
typedef std::uint32_t DWORD;
typedef std::int64_t LONGLONG;

// A signed 64-bit count, as the performance counter reports it.
struct LARGE_INTEGER
{
    LONGLONG QuadPart;
};

} // namespace Win32

#endif
