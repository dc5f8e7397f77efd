#ifndef VORM_CORE_TIMER_TIMESOURCEFACTORY_H
#define VORM_CORE_TIMER_TIMESOURCEFACTORY_H

// Makes the clock's default time source. The core has no platform timer of
// its own: the application layer registers its maker at start-up.
namespace Vorm {

class ITimeSource;

class TimeSourceFactory
{
public:
    typedef ITimeSource* (*Maker)();

    static void Register(Maker maker) { s_maker = maker; }
    // A new time source, owned by the caller; null when nothing is registered.
    static ITimeSource* Create() { return s_maker ? s_maker() : nullptr; }

private:
    static inline Maker s_maker = nullptr;
};

} // namespace Vorm

#endif
