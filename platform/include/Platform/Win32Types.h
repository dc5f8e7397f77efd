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
typedef std::int32_t LONG;
typedef std::int64_t LONGLONG;
typedef unsigned int UINT;
typedef std::uint16_t ATOM;
typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
// Wide enough to carry a pointer, as message parameters and window data must.
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef std::intptr_t LONG_PTR;

// A signed 64-bit count, as the performance counter reports it.
struct LARGE_INTEGER
{
    LONGLONG QuadPart;
};

// Opaque handles: each points at a record of the platform layer.
struct WindowRecord;
struct ContextRecord;
typedef WindowRecord* HWND;
typedef WindowRecord* HDC;          // a window's own drawing surface
typedef ContextRecord* HGLRC;
typedef struct InstanceTag* HINSTANCE;

} // namespace Win32

#endif
