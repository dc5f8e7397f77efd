#ifndef VORM_APP_WINGLAPP_GLCONTEXT_H
#define VORM_APP_WINGLAPP_GLCONTEXT_H

namespace Vorm {

// A platform-neutral OpenGL rendering context of a window.
class GLContext
{
public:
    virtual bool IsValid() = 0;
    virtual void MakeCurrent() = 0;
    virtual void ReleaseCurrent() = 0;
    virtual void SwapBuffers() = 0;

protected:
    // Deleted only as its concrete type.
    ~GLContext() {}
};

} // namespace Vorm

#endif
