#ifndef VORM_APP_WINGLAPP_W32TIMESOURCE_H
#define VORM_APP_WINGLAPP_W32TIMESOURCE_H

#include "Core/Timer/ITimeSource.h"

namespace Vorm {

// Time from the performance counter, or from the millisecond timer where
// the counter is unavailable.
class W32TimeSource : public ITimeSource
{
public:
    W32TimeSource();
    ~W32TimeSource() override;

    double GetTime() override;

private:
    double m_dSecondsPerTick;
};

} // namespace Vorm

#endif
