#ifndef VORM_APP_WINGLAPP_GLWINDOW_H
#define VORM_APP_WINGLAPP_GLWINDOW_H

#include "WINGLApp/GLContextDesc.h"
#include "WINGLApp/IWindow.h"

#include <boost/shared_ptr.hpp>

namespace Vorm {

class GLContext;

// A window that can carry an OpenGL context.
class GLWindow : public IWindow
{
public:
    // Creates the window's context; false when it cannot be had.
    virtual bool SetupGL(const GLContextDesc& desc) = 0;
    virtual boost::shared_ptr<GLContext> GetContext() = 0;
};

} // namespace Vorm

#endif
