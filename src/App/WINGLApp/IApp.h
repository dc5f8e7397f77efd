#ifndef VORM_APP_WINGLAPP_IAPP_H
#define VORM_APP_WINGLAPP_IAPP_H

#include "Core/Timer/Clock.h"
#include "Core/Util/TSingleton.h"

#include <boost/shared_ptr.hpp>

namespace Vorm {

class IExec;
class IWindow;

// The application frame: the application singleton that owns the frame
// clock, paces the main loop and drives one IExec. Platform applications
// implement creation, the run loop and window access, and call Tick when
// their message loop is idle.
class IApp : public TSingleton<IApp>
{
public:
    IApp();
    virtual ~IApp();

    IApp(const IApp&) = delete;
    IApp& operator=(const IApp&) = delete;

    virtual bool Create() = 0;
    // Returns the process exit code.
    virtual int Run(IExec* pExec) = 0;
    virtual boost::shared_ptr<IWindow> GetWindow() = 0;

    // fps below 1 switches the limit off (and updates run on every tick).
    void SetFrameLimit(int fps, bool updateWhileWaiting);
    void SetShowFps(bool on);

    // One pass of the main loop.
    void Tick(IExec* pExec);

protected:
    Clock m_clock;
    bool m_bUpdateWhileWaiting;
    bool m_bFrameLimitOn;
    bool m_bShowFps;
    double m_dOvershoot;
    double m_dTimeToNextFrame;
    double m_dFrameInterval;
    double m_dFpsTimer;
    double m_dLoopDelta;
    double m_dFrameTime;
    char m_szFpsText[32];
};

} // namespace Vorm

#endif
