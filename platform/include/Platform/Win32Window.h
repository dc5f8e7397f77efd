#ifndef VORM_PLATFORM_WIN32WINDOW_H
#define VORM_PLATFORM_WIN32WINDOW_H

#include "Platform/Win32Types.h"

// Windows, their messages and the display mode: the window class, creation,
// placement, the message queue with its procedure calls, mouse capture, the
// full-screen display switch and the error box.
namespace Win32 {

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);

// Messages. Keyboard and mouse messages carry the parameters the system's
// own do: the virtual key in wParam (for Shift, Control and Alt the scan code
// in lParam's bits 16..23 and the extended-key bit 24 tell left from right),
// client x and y in lParam's low and high words, the wheel delta (multiples
// of 120) in wParam's high word.
const UINT WM_CREATE = 0x0001;
const UINT WM_DESTROY = 0x0002;
const UINT WM_SIZE = 0x0005;
const UINT WM_KILLFOCUS = 0x0008;   // the window lost the keyboard focus
const UINT WM_CLOSE = 0x0010;
const UINT WM_QUIT = 0x0012;
const UINT WM_NCCREATE = 0x0081;
const UINT WM_KEYDOWN = 0x0100;
const UINT WM_KEYUP = 0x0101;
const UINT WM_CHAR = 0x0102;
const UINT WM_DEADCHAR = 0x0103;
const UINT WM_SYSKEYDOWN = 0x0104;
const UINT WM_SYSKEYUP = 0x0105;
const UINT WM_MOUSEMOVE = 0x0200;
const UINT WM_LBUTTONDOWN = 0x0201;
const UINT WM_LBUTTONUP = 0x0202;
const UINT WM_LBUTTONDBLCLK = 0x0203;
const UINT WM_RBUTTONDOWN = 0x0204;
const UINT WM_RBUTTONUP = 0x0205;
const UINT WM_MBUTTONDOWN = 0x0207;
const UINT WM_MBUTTONUP = 0x0208;
const UINT WM_MOUSEWHEEL = 0x020A;
const UINT WM_CAPTURECHANGED = 0x0215;   // lParam: the window that has the capture now, or null

// Virtual-key codes.
const UINT VK_BACK = 8;
const UINT VK_TAB = 9;
const UINT VK_RETURN = 13;
const UINT VK_SHIFT = 16;
const UINT VK_CONTROL = 17;
const UINT VK_MENU = 18;     // Alt
const UINT VK_ESCAPE = 27;
const UINT VK_SPACE = 32;
const UINT VK_HOME = 36;
const UINT VK_LEFT = 37;
const UINT VK_UP = 38;
const UINT VK_RIGHT = 39;
const UINT VK_DOWN = 40;
const UINT VK_F1 = 112;
const UINT VK_F10 = 121;
const UINT VK_F12 = 123;

// Key message flags in lParam's high word, and the modifier keys' scan codes
// (the right Control and Alt keys are the left ones' codes, extended).
const UINT KF_EXTENDED = 0x0100;
const UINT SC_LSHIFT = 0x2A;
const UINT SC_RSHIFT = 0x36;
const UINT SC_CONTROL = 0x1D;
const UINT SC_ALT = 0x38;

const UINT CS_VREDRAW = 0x0001;
const UINT CS_HREDRAW = 0x0002;
const UINT CS_OWNDC = 0x0020;

const DWORD WS_POPUP = 0x80000000u;
const DWORD WS_CLIPSIBLINGS = 0x04000000u;
const DWORD WS_CLIPCHILDREN = 0x02000000u;
const DWORD WS_CAPTION = 0x00C00000u;
const DWORD WS_THICKFRAME = 0x00040000u;
const DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000u;

const int GWL_STYLE = -16;
const int GWL_USERDATA = -21;

const int SW_HIDE = 0;
const int SW_SHOW = 5;

const UINT SWP_FRAMECHANGED = 0x0020;
const UINT SWP_SHOWWINDOW = 0x0040;

const UINT PM_NOREMOVE = 0x0000;
const UINT PM_REMOVE = 0x0001;

const DWORD CDS_FULLSCREEN = 0x00000004;
const LONG DISP_CHANGE_SUCCESSFUL = 0;
const LONG DISP_CHANGE_BADMODE = -2;
const DWORD DM_BITSPERPEL = 0x00040000;
const DWORD DM_PELSWIDTH = 0x00080000;
const DWORD DM_PELSHEIGHT = 0x00100000;

const UINT MB_ICONERROR = 0x00000010;

inline WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }

struct RECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct WNDCLASSEXW
{
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    const void* hCursor;    // null: the arrow
    const wchar_t* lpszMenuName;
    const wchar_t* lpszClassName;
};

// What WM_NCCREATE and WM_CREATE carry in lParam.
struct CREATESTRUCTW
{
    void* lpCreateParams;
    HINSTANCE hInstance;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    const wchar_t* lpszName;
    const wchar_t* lpszClass;
};

// A display mode.
struct DEVMODEW
{
    WORD dmSize;
    DWORD dmFields;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
};

// Window classes: registering a name again replaces its record.
ATOM RegisterClassExW(const WNDCLASSEXW* pClass);

// Creates the window hidden. Before returning, the procedure receives
// WM_NCCREATE and WM_CREATE (lParam: CREATESTRUCTW) and the first WM_SIZE.
HWND CreateWindowExW(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                     int x, int y, int width, int height, HWND parent, void* menu,
                     HINSTANCE instance, void* param);
// Sends WM_DESTROY, then the window is gone for good; its surface stays
// until the last GL context made on it is deleted.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// WM_CLOSE destroys the window; every other message is answered with 0.
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetWindowLongW(HWND hwnd, int index);

BOOL ShowWindow(HWND hwnd, int command);
BOOL UpdateWindow(HWND hwnd);
BOOL GetClientRect(HWND hwnd, RECT* pRect);
BOOL GetWindowRect(HWND hwnd, RECT* pRect);
// Outer placement; the procedure receives WM_SIZE before these return.
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// Takes the next message of any window: posted ones first, then one system
// event turned into its message. With a filter (min and max not both 0),
// the first waiting message within [min, max]. Never waits.
BOOL PeekMessageW(MSG* pMsg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Characters come as WM_CHAR from the system's text input, so this adds none.
BOOL TranslateMessage(const MSG* pMsg);
LRESULT DispatchMessageW(const MSG* pMsg);
void PostQuitMessage(int exitCode);

// The window losing the capture to another window or to none receives
// WM_CAPTURECHANGED before these return.
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();

BOOL EnumDisplaySettingsW(const wchar_t* deviceName, DWORD modeIndex, DEVMODEW* pMode);
// With a mode: a popup window placed over the whole display then covers it
// in that mode. Without one: the desktop's own mode is back.
LONG ChangeDisplaySettingsW(DEVMODEW* pMode, DWORD flags);

// Writes the text to standard error (no box to block in) and returns 1.
int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Test support: windows whose system window still exists (destroyed ones
// count until their last GL context is deleted).
int CountLiveWindows();

} // namespace Win32

#endif
