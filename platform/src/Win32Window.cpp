#include "Platform/Win32Window.h"

#include "Platform/GLWindowContext.h"
#include "HeldButtons.h"
#include "SurfaceAttributes.h"
#include "WindowRecord.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace Win32 {
namespace {

std::map<std::wstring, WNDCLASSEXW> g_classes;
std::vector<WindowRecord*> g_windows;   // live windows and surfaces kept for contexts
std::deque<MSG> g_queue;
HWND g_capture = nullptr;

bool g_displayModeSet = false;
SDL_DisplayMode g_displayMode;

// Alt state for telling system keys from plain ones: the Alt keys held
// (bit 1 left, 2 right) and whether another key went down with them.
unsigned g_altKeys = 0;
bool g_altCombined = false;

std::string ToUtf8(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text) {
        const std::uint32_t c = static_cast<std::uint32_t>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

LPARAM MakeLParam(int low, int high)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(high & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(low & 0xFFFF));
}

LRESULT Send(WindowRecord* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return w->proc ? w->proc(w, msg, wParam, lParam) : 0;
}

void Post(WindowRecord* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_queue.push_back(MSG{w, msg, wParam, lParam});
}

void SendSize(WindowRecord* w)
{
    Send(w, WM_SIZE, 0, MakeLParam(w->clientWidth, w->clientHeight));
}

std::vector<WindowRecord*> LiveWindows()
{
    std::vector<WindowRecord*> live;
    for (WindowRecord* w : g_windows)
        if (w->alive)
            live.push_back(w);
    return live;
}

// The window an event belongs to; events without one (keys before the
// window manager named a focus) go to the only window there is.
WindowRecord* EventWindow(Uint32 windowId)
{
    // Runs for every event: no list is built.
    WindowRecord* only = nullptr;
    int liveCount = 0;
    for (WindowRecord* w : g_windows) {
        if (!w->alive)
            continue;
        if (w->id == windowId)
            return w;
        only = w;
        ++liveCount;
    }
    return liveCount == 1 ? only : nullptr;
}

UINT VirtualKey(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + static_cast<UINT>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + static_cast<UINT>(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return VK_F1 + static_cast<UINT>(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return 97 + static_cast<UINT>(key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_KP_0: return 96;
    default: return 0;
    }
}

// The scan code and extended-key flag of a modifier key, which tell its
// left key from its right one; 0 for other keys.
UINT ModifierScanCode(SDL_Keycode key)
{
    switch (key) {
    case SDLK_LSHIFT: return SC_LSHIFT;
    case SDLK_RSHIFT: return SC_RSHIFT;
    case SDLK_LCTRL: return SC_CONTROL;
    case SDLK_RCTRL: return SC_CONTROL | KF_EXTENDED;
    case SDLK_LALT: return SC_ALT;
    case SDLK_RALT: return SC_ALT | KF_EXTENDED;
    default: return 0;
    }
}

// Keys pressed while an Alt key is held, Alt itself and F10 are system keys;
// the last Alt key's release is one only when no other key was pressed with
// Alt.
void PostKey(WindowRecord* w, const SDL_KeyboardEvent& e)
{
    const UINT vk = VirtualKey(e.keysym.sym);
    if (vk == 0)
        return;
    LPARAM lParam = (static_cast<LPARAM>(ModifierScanCode(e.keysym.sym)) << 16) | 1;
    if (e.repeat)
        lParam |= LPARAM(1) << 30;
    const bool down = e.type == SDL_KEYDOWN;
    UINT msg;
    if (vk == VK_MENU) {
        const unsigned bit = e.keysym.sym == SDLK_RALT ? 2u : 1u;
        if (down) {
            if (g_altKeys == 0)
                g_altCombined = false;
            g_altKeys |= bit;
            msg = WM_SYSKEYDOWN;
        } else {
            g_altKeys &= ~bit;
            msg = g_altCombined ? WM_KEYUP : WM_SYSKEYUP;
        }
    } else if (g_altKeys != 0 || vk == VK_F10) {
        if (g_altKeys != 0)
            g_altCombined = true;
        msg = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    } else {
        msg = down ? WM_KEYDOWN : WM_KEYUP;
    }
    Post(w, msg, vk, lParam);
}

void PostText(WindowRecord* w, const char* text)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        std::uint32_t c = *s++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more)
            c &= 0x3F >> more;
        for (; more > 0 && (*s & 0xC0) == 0x80; --more)
            c = (c << 6) | (*s++ & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            Post(w, WM_CHAR, 0xD800 + (c >> 10), 1);
            Post(w, WM_CHAR, 0xDC00 + (c & 0x3FF), 1);
        } else {
            Post(w, WM_CHAR, c, 1);
        }
    }
}

void PostButton(WindowRecord* w, const SDL_MouseButtonEvent& e)
{
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    UINT msg;
    switch (e.button) {
    case SDL_BUTTON_LEFT: msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
    }
    Post(w, msg, 0, MakeLParam(e.x, e.y));
}

void Translate(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_QUIT: {
        // A quit request (SIGTERM, the session ending) closes every window,
        // so the program ends the way it does from a window's close button.
        const std::vector<WindowRecord*> live = LiveWindows();
        for (WindowRecord* w : live)
            Post(w, WM_CLOSE, 0, 0);
        if (live.empty())
            PostQuitMessage(0);
        break;
    }
    case SDL_WINDOWEVENT: {
        WindowRecord* w = EventWindow(e.window.windowID);
        if (!w)
            break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            Post(w, WM_CLOSE, 0, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            // Keys and buttons let go elsewhere send nothing here: Alt is up
            // from now on, and SDL hears of the buttons' releases.
            g_altKeys = 0;
            ReleaseHeldButtons(w->window);
            Post(w, WM_KILLFOCUS, 0, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            // Sizes we set ourselves were already reported when set.
            if (e.window.data1 != w->clientWidth || e.window.data2 != w->clientHeight) {
                w->clientWidth = e.window.data1;
                w->clientHeight = e.window.data2;
                Post(w, WM_SIZE, 0, MakeLParam(w->clientWidth, w->clientHeight));
            }
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (WindowRecord* w = EventWindow(e.key.windowID))
            PostKey(w, e.key);
        break;
    case SDL_TEXTINPUT:
        if (WindowRecord* w = EventWindow(e.text.windowID))
            PostText(w, e.text.text);
        break;
    case SDL_MOUSEMOTION:
        if (WindowRecord* w = EventWindow(e.motion.windowID))
            Post(w, WM_MOUSEMOVE, 0, MakeLParam(e.motion.x, e.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (WindowRecord* w = EventWindow(e.button.windowID))
            PostButton(w, e.button);
        break;
    case SDL_MOUSEWHEEL:
        if (WindowRecord* w = EventWindow(e.wheel.windowID)) {
            int steps = e.wheel.y;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
                steps = -steps;
            const WPARAM delta = static_cast<WORD>(static_cast<std::int16_t>(steps * 120));
            Post(w, WM_MOUSEWHEEL, delta << 16, 0);
        }
        break;
    default:
        break;
    }
}

void GetFrame(WindowRecord* w, int& left, int& top, int& right, int& bottom)
{
    left = top = right = bottom = 0;
    if (w->fullscreen || !(w->style & WS_CAPTION))
        return;
    // Without a window manager there is no frame to ask about.
    if (SDL_GetWindowBordersSize(w->window, &top, &left, &bottom, &right) != 0)
        left = top = right = bottom = 0;
}

} // namespace

WindowRecord* FindLiveWindow(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    for (WindowRecord* w : g_windows)
        if (w == hwnd && w->alive)
            return w;
    return nullptr;
}

WindowRecord* FindSurface(HDC hdc)
{
    if (!hdc)
        return nullptr;
    for (WindowRecord* w : g_windows)
        if (w == hdc)
            return w;
    return nullptr;
}

void ReleaseSurfaceIfUnused(WindowRecord* w)
{
    if (w->alive || w->contexts > 0)
        return;
    SDL_DestroyWindow(w->window);
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), w), g_windows.end());
    delete w;
}

int CountLiveWindows()
{
    return static_cast<int>(g_windows.size());
}

ATOM RegisterClassExW(const WNDCLASSEXW* pClass)
{
    if (!pClass || !pClass->lpszClassName || !pClass->lpfnWndProc)
        return 0;
    if (!StartVideo(nullptr))
        return 0;
    g_classes[pClass->lpszClassName] = *pClass;
    return static_cast<ATOM>(g_classes.size());
}

HWND CreateWindowExW(DWORD, const wchar_t* className, const wchar_t* title, DWORD style,
                     int x, int y, int width, int height, HWND, void*, HINSTANCE instance, void* param)
{
    if (!className)
        return nullptr;
    const auto cls = g_classes.find(className);
    if (cls == g_classes.end() || !StartVideo(nullptr))
        return nullptr;

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    if (!(style & WS_CAPTION))
        flags |= SDL_WINDOW_BORDERLESS;

    // The visual is fixed when the window is made: take the deepest depth
    // buffer the display offers, so a later pixel format can ask for it.
    WindowRecord* w = new WindowRecord;
    const std::string utf8Title = ToUtf8(title);
    for (int depth : {32, 24, 16}) {
        RequestSurface(true, depth, 0, 0);
        w->window = SDL_CreateWindow(utf8Title.c_str(), x, y, width, height, flags);
        if (w->window) {
            w->surfaceDepthBits = depth;
            break;
        }
    }
    if (!w->window) {
        delete w;
        return nullptr;
    }
    w->id = SDL_GetWindowID(w->window);
    w->proc = cls->second.lpfnWndProc;
    w->style = style;
    w->clientWidth = width;
    w->clientHeight = height;
    g_windows.push_back(w);
    SDL_StartTextInput();

    CREATESTRUCTW create = {param, instance, height, width, y, x, static_cast<LONG>(style), title, className};
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    if (!Send(w, WM_NCCREATE, 0, createParam) || Send(w, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(w);
        return nullptr;
    }
    SendSize(w);
    return w;
}

BOOL DestroyWindow(HWND hwnd)
{
    WindowRecord* w = FindLiveWindow(hwnd);
    if (!w)
        return 0;
    Send(w, WM_DESTROY, 0, 0);
    w->alive = false;
    if (g_capture == w)
        ReleaseCapture();
    // Messages still queued for it die with it.
    g_queue.erase(std::remove_if(g_queue.begin(), g_queue.end(), [w](const MSG& m) { return m.hwnd == w; }),
                  g_queue.end());
    if (w->fullscreen) {
        SDL_SetWindowFullscreen(w->window, 0);
        w->fullscreen = false;
    }
    SDL_HideWindow(w->window);
    ReleaseSurfaceIfUnused(w);
    return 1;
}

BOOL IsWindow(HWND hwnd)
{
    return FindLiveWindow(hwnd) != nullptr;
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_NCCREATE:
        return 1;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value)
{
    WindowRecord* w = FindLiveWindow(hwnd);
    if (!w)
        return 0;
    LONG_PTR old = 0;
    if (index == GWL_USERDATA) {
        old = w->userData;
        w->userData = value;
    } else if (index == GWL_STYLE) {
        old = static_cast<LONG_PTR>(w->style);
        w->style = static_cast<DWORD>(value);
    }
    return old;
}

LONG_PTR GetWindowLongW(HWND hwnd, int index)
{
    WindowRecord* w = FindLiveWindow(hwnd);
    if (!w)
        return 0;
    if (index == GWL_USERDATA)
        return w->userData;
    if (index == GWL_STYLE)
        return static_cast<LONG_PTR>(w->style);
    return 0;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    WindowRecord* w = FindLiveWindow(hwnd);
    if (!w)
        return 0;
    const BOOL wasVisible = (SDL_GetWindowFlags(w->window) & SDL_WINDOW_SHOWN) != 0;
    if (command == SW_HIDE)
        SDL_HideWindow(w->window);
    else
        SDL_ShowWindow(w->window);
    return wasVisible;
}

BOOL UpdateWindow(HWND hwnd)
{
    // Nothing to paint here: GL draws the client area itself.
    return FindLiveWindow(hwnd) != nullptr;
}

BOOL GetClientRect(HWND hwnd, RECT* pRect)
{
    WindowRecord* w = FindLiveWindow(hwnd);
    if (!w || !pRect)
        return 0;
    *pRect = RECT{0, 0, w->clientWidth, w->clientHeight};
    return 1;
}

BOOL GetWindowRect(HWND hwnd, RECT* pRect)
{
    WindowRecord* w = FindLiveWindow(hwnd);
    if (!w || !pRect)
        return 0;
    int x = 0, y = 0, left, top, right, bottom;
    SDL_GetWindowPosition(w->window, &x, &y);
    GetFrame(w, left, top, right, bottom);
    pRect->left = x - left;
    pRect->top = y - top;
    pRect->right = x + w->clientWidth + right;
    pRect->bottom = y + w->clientHeight + bottom;
    return 1;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height, 0);
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int width, int height, UINT flags)
{
    WindowRecord* w = FindLiveWindow(hwnd);
    if (!w)
        return 0;
    // A popup laid over the whole display while a full-screen mode is set
    // is what full screen means here: SDL's full-screen window in that mode.
    const bool coversDisplay = g_displayModeSet && (w->style & WS_POPUP) && !(w->style & WS_CAPTION) &&
                               x == 0 && y == 0 && width == g_displayMode.w && height == g_displayMode.h;
    if (coversDisplay) {
        // Placed over the display first: without a window manager nothing
        // else moves a shown window there.
        SDL_SetWindowBordered(w->window, SDL_FALSE);
        SDL_SetWindowPosition(w->window, 0, 0);
        SDL_SetWindowSize(w->window, width, height);
        SDL_SetWindowDisplayMode(w->window, &g_displayMode);
        if (SDL_SetWindowFullscreen(w->window, SDL_WINDOW_FULLSCREEN) != 0)
            return 0;
        w->fullscreen = true;
        w->clientWidth = width;
        w->clientHeight = height;
    } else {
        if (w->fullscreen) {
            SDL_SetWindowFullscreen(w->window, 0);
            w->fullscreen = false;
        }
        if (flags & SWP_FRAMECHANGED) {
            SDL_SetWindowBordered(w->window, (w->style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
            SDL_SetWindowResizable(w->window, (w->style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
        }
        int left, top, right, bottom;
        GetFrame(w, left, top, right, bottom);
        w->clientWidth = std::max(1, width - left - right);
        w->clientHeight = std::max(1, height - top - bottom);
        SDL_SetWindowPosition(w->window, x + left, y + top);
        SDL_SetWindowSize(w->window, w->clientWidth, w->clientHeight);
    }
    if (flags & SWP_SHOWWINDOW)
        SDL_ShowWindow(w->window);
    SendSize(w);
    return 1;
}

BOOL PeekMessageW(MSG* pMsg, HWND, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!pMsg)
        return 0;
    if (filterMin != 0 || filterMax != 0) {
        // A filtered peek must see every waiting message: all pending
        // system events join the queue, in order, and stay there.
        if (SDL_WasInit(SDL_INIT_EVENTS)) {
            SDL_Event e;
            while (SDL_PollEvent(&e))
                Translate(e);
        }
        for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
            if (it->message < filterMin || it->message > filterMax)
                continue;
            *pMsg = *it;
            if (removeFlags & PM_REMOVE)
                g_queue.erase(it);
            return 1;
        }
        return 0;
    }
    if (g_queue.empty() && SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_Event e;
        while (g_queue.empty() && SDL_PollEvent(&e))
            Translate(e);
    }
    if (g_queue.empty())
        return 0;
    *pMsg = g_queue.front();
    if (removeFlags & PM_REMOVE)
        g_queue.pop_front();
    return 1;
}

BOOL TranslateMessage(const MSG* pMsg)
{
    return pMsg && (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN);
}

LRESULT DispatchMessageW(const MSG* pMsg)
{
    if (!pMsg)
        return 0;
    WindowRecord* w = FindLiveWindow(pMsg->hwnd);
    return w ? Send(w, pMsg->message, pMsg->wParam, pMsg->lParam) : 0;
}

void PostQuitMessage(int exitCode)
{
    g_queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

HWND SetCapture(HWND hwnd)
{
    HWND previous = g_capture;
    if (WindowRecord* w = FindLiveWindow(hwnd)) {
        SDL_CaptureMouse(SDL_TRUE);
        g_capture = w;
        if (WindowRecord* loser = FindLiveWindow(previous))
            if (loser != w)
                Send(loser, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(w));
    }
    return previous;
}

BOOL ReleaseCapture()
{
    HWND previous = g_capture;
    if (g_capture)
        SDL_CaptureMouse(SDL_FALSE);
    g_capture = nullptr;
    if (WindowRecord* loser = FindLiveWindow(previous))
        Send(loser, WM_CAPTURECHANGED, 0, 0);
    return 1;
}

BOOL EnumDisplaySettingsW(const wchar_t*, DWORD modeIndex, DEVMODEW* pMode)
{
    if (!pMode || !StartVideo(nullptr))
        return 0;
    SDL_DisplayMode mode;
    if (static_cast<int>(modeIndex) >= SDL_GetNumDisplayModes(0) ||
        SDL_GetDisplayMode(0, static_cast<int>(modeIndex), &mode) != 0)
        return 0;
    pMode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    // Bits a pixel takes in memory: the usual 24-bit colour counts as 32.
    pMode->dmBitsPerPel = 8u * SDL_BYTESPERPIXEL(mode.format);
    pMode->dmPelsWidth = static_cast<DWORD>(mode.w);
    pMode->dmPelsHeight = static_cast<DWORD>(mode.h);
    return 1;
}

LONG ChangeDisplaySettingsW(DEVMODEW* pMode, DWORD)
{
    if (!pMode) {
        g_displayModeSet = false;
        for (WindowRecord* w : LiveWindows())
            if (w->fullscreen) {
                SDL_SetWindowFullscreen(w->window, 0);
                w->fullscreen = false;
            }
        return DISP_CHANGE_SUCCESSFUL;
    }
    DEVMODEW candidate;
    for (DWORD i = 0; EnumDisplaySettingsW(nullptr, i, &candidate); ++i) {
        if ((pMode->dmFields & DM_PELSWIDTH) && candidate.dmPelsWidth != pMode->dmPelsWidth)
            continue;
        if ((pMode->dmFields & DM_PELSHEIGHT) && candidate.dmPelsHeight != pMode->dmPelsHeight)
            continue;
        if ((pMode->dmFields & DM_BITSPERPEL) && candidate.dmBitsPerPel != pMode->dmBitsPerPel)
            continue;
        SDL_GetDisplayMode(0, static_cast<int>(i), &g_displayMode);
        g_displayModeSet = true;
        return DISP_CHANGE_SUCCESSFUL;
    }
    return DISP_CHANGE_BADMODE;
}

int MessageBoxW(HWND, const wchar_t* text, const wchar_t*, UINT)
{
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
    std::fflush(stderr);
    return 1;
}

} // namespace Win32
