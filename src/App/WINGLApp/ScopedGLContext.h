#ifndef VORM_APP_WINGLAPP_SCOPEDGLCONTEXT_H
#define VORM_APP_WINGLAPP_SCOPEDGLCONTEXT_H

// Makes a window's GL context current for one scope, when the window has a
// valid one, so objects holding GL names are released in their own context.

#include "WINGLApp/GLContext.h"
#include "WINGLApp/GLWindow.h"

#include <boost/shared_ptr.hpp>

namespace Vorm {

class ScopedGLContext
{
public:
    explicit ScopedGLContext(const boost::shared_ptr<IWindow>& window)
    {
        GLWindow* glWindow = dynamic_cast<GLWindow*>(window.get());
        if (glWindow)
            m_spContext = glWindow->GetContext();
        if (m_spContext && !m_spContext->IsValid())
            m_spContext.reset();
        if (m_spContext)
            m_spContext->MakeCurrent();
    }
    ~ScopedGLContext()
    {
        if (m_spContext)
            m_spContext->ReleaseCurrent();
    }
    ScopedGLContext(const ScopedGLContext&) = delete;
    ScopedGLContext& operator=(const ScopedGLContext&) = delete;

private:
    boost::shared_ptr<GLContext> m_spContext;
};

} // namespace Vorm

#endif
