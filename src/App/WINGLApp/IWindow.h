#ifndef VORM_APP_WINGLAPP_IWINDOW_H
#define VORM_APP_WINGLAPP_IWINDOW_H

namespace Vorm {

// A platform-neutral window: creation, visibility, placement and the buffer
// swap the program's logic asks for.
class IWindow
{
public:
    virtual ~IWindow() {}

    virtual bool Create(int x, int y, int width, int height) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Client area size.
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    // Outer top-left corner.
    virtual int GetX() = 0;
    virtual int GetY() = 0;
    virtual void SwapBuffers() = 0;
    // Places the window so that its client area is width x height.
    virtual void SetPosition(int x, int y, int width, int height) = 0;
};

} // namespace Vorm

#endif
