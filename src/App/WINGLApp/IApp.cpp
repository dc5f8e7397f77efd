#include "WINGLApp/IApp.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Timer/TimeSourceFactory.h"
#include "WINGLApp/IExec.h"
#include "WINGLApp/W32TimeSource.h"

#include <cstdio>

namespace Vorm {

namespace {

// The frame clock reads this platform's counter; registered before any
// application (and so its clock) can exist.
ITimeSource* MakeTimeSource()
{
    return VORM_NEW W32TimeSource();
}
const bool s_timeSourceRegistered = (TimeSourceFactory::Register(&MakeTimeSource), true);

} // namespace

IApp::IApp()
    : m_clock(false, 5)
    , m_bUpdateWhileWaiting(true)
    , m_bFrameLimitOn(false)
    , m_bShowFps(false)
    , m_dOvershoot(0.0)
    , m_dTimeToNextFrame(0.0)
    , m_dFrameInterval(0.0)
    , m_dFpsTimer(0.0)
    , m_dLoopDelta(0.0)
    , m_dFrameTime(0.0)
{
    m_szFpsText[0] = '\0';
    m_clock.SetSmoothing(true);
    SetFrameLimit(0, true);
    SetShowFps(false);
}

IApp::~IApp()
{
}

void IApp::SetFrameLimit(int fps, bool updateWhileWaiting)
{
    if (fps < 1)
    {
        // Without a limit every tick is a frame, so every tick updates.
        m_bFrameLimitOn = false;
        m_bUpdateWhileWaiting = true;
        return;
    }
    m_bUpdateWhileWaiting = updateWhileWaiting;
    m_bFrameLimitOn = true;
    m_dFrameInterval = 1.0 / fps;
    m_dOvershoot = 0.0;
    m_dTimeToNextFrame = m_dFrameInterval;
    m_clock.ResetAccumulator();
}

void IApp::SetShowFps(bool on)
{
    m_bShowFps = on;
    m_dFpsTimer = 0.0;
    m_szFpsText[0] = '\0';
}

void IApp::Tick(IExec* pExec)
{
    m_clock.Update();
    m_dLoopDelta = m_clock.GetDelta();

    if (!m_bFrameLimitOn)
    {
        m_dFrameTime = m_dLoopDelta;
        pExec->Update(static_cast<float>(m_dLoopDelta));
        pExec->Render();
    }
    else
    {
        const double acc = m_clock.GetAccumulated();
        if (acc >= m_dTimeToNextFrame)
        {
            pExec->Update(static_cast<float>(acc));
            pExec->Render();
            // A late frame shortens the wait for the next one; frames are
            // never skipped to catch up.
            m_dOvershoot = acc - m_dTimeToNextFrame;
            m_dTimeToNextFrame = m_dFrameInterval - m_dOvershoot;
            m_clock.ResetAccumulator();
            m_dFrameTime = acc;
        }
        else if (m_bUpdateWhileWaiting)
        {
            pExec->Update(static_cast<float>(m_dLoopDelta));
        }
    }

    if (m_bShowFps)
    {
        m_dFpsTimer += m_dLoopDelta;
        if (m_dFpsTimer > 1.0)
        {
            // Very high rates would not fit: snprintf cuts the text instead.
            const int written = std::snprintf(m_szFpsText, sizeof(m_szFpsText),
                                              "Idle: %09.2f @ Fps: %.2f",
                                              1.0 / m_dLoopDelta, 1.0 / m_dFrameTime);
            if (written < 0)
                m_szFpsText[0] = '\0';
            m_dFpsTimer = 0.0;
        }
    }
}

} // namespace Vorm
