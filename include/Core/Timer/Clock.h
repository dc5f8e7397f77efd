#ifndef VORM_CORE_TIMER_CLOCK_H
#define VORM_CORE_TIMER_CLOCK_H

#include <cstdint>
#include <deque>

namespace Vorm {

class ITimeSource;

// Measures the time between main-loop passes. Steps longer than maxDelta
// (stalls, debugger breaks, window drags) are replaced by the newest sample;
// with smoothing on, the delta is the mean of the last maxSamples steps.
class Clock
{
public:
    // Reads the platform's high-resolution time source.
    Clock(bool smoothing, std::uint8_t maxSamples);
    // Reads the given source and takes ownership of it (it must come from
    // VORM_NEW); lets tests drive the clock with scripted times.
    Clock(ITimeSource* pTimeSource, bool smoothing, std::uint8_t maxSamples);
    ~Clock();

    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    // maxSamples 0 counts as 1. Restarts the samples from defaultDelta.
    void SetParams(std::uint8_t maxSamples, double defaultDelta, double maxDelta);
    void SetSmoothing(bool on);

    // Takes one reading and advances delta and the accumulated time.
    void Update();

    void ResetAccumulator() { m_dTime = 0.0; }
    double GetAccumulated() const { return m_dTime; }
    double GetDelta() const { return m_dDelta; }

private:
    void Init(std::uint8_t maxSamples);
    void RestartSamples();
    double GetRawDelta();
    void AddSample(double delta);
    double GetMeanDelta() const;

    ITimeSource* m_pTimeSource;
    double m_dTime;
    double m_dLastTime;
    double m_dDelta;
    bool m_bSmoothing;
    std::uint8_t m_uMaxSamples;
    double m_dDefaultDelta;
    double m_dMaxDelta;
    std::deque<double> m_samples;
};

} // namespace Vorm

#endif
