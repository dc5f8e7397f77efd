#ifndef VORM_CORE_TIMER_ITIMESOURCE_H
#define VORM_CORE_TIMER_ITIMESOURCE_H

namespace Vorm {

// A platform's source of wall time for the clock.
class ITimeSource
{
public:
    virtual ~ITimeSource() {}

    // Seconds since an arbitrary fixed origin.
    virtual double GetTime() = 0;
};

} // namespace Vorm

#endif
