#include "Core/Timer/Clock.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Timer/ITimeSource.h"
#include "Core/Timer/TimeSourceFactory.h"
#include "Core/Util/Assert.h"

namespace Vorm {

Clock::Clock(bool smoothing, std::uint8_t maxSamples)
    : m_pTimeSource(nullptr)
    , m_dTime(0.0)
    , m_dLastTime(0.0)
    , m_dDelta(0.0)
    , m_bSmoothing(smoothing)
{
    m_pTimeSource = TimeSourceFactory::Create();
    Init(maxSamples);
}

Clock::Clock(ITimeSource* pTimeSource, bool smoothing, std::uint8_t maxSamples)
    : m_pTimeSource(pTimeSource)
    , m_dTime(0.0)
    , m_dLastTime(0.0)
    , m_dDelta(0.0)
    , m_bSmoothing(smoothing)
{
    Init(maxSamples);
}

void Clock::Init(std::uint8_t maxSamples)
{
    VORM_ASSERT(m_pTimeSource && "Clock: no time source registered!");
    SetParams(maxSamples, 0.016, 0.2);
}

Clock::~Clock()
{
    if (m_pTimeSource)
    {
        VORM_DELETE m_pTimeSource;
        m_pTimeSource = nullptr;
    }
}

void Clock::SetParams(std::uint8_t maxSamples, double defaultDelta, double maxDelta)
{
    m_uMaxSamples = maxSamples ? maxSamples : 1;
    m_dDefaultDelta = defaultDelta;
    m_dMaxDelta = maxDelta;
    RestartSamples();
}

void Clock::RestartSamples()
{
    m_samples.clear();
    m_samples.push_back(m_dDefaultDelta);
}

void Clock::SetSmoothing(bool on)
{
    if (m_bSmoothing && !on)
        RestartSamples();
    m_bSmoothing = on;
}

void Clock::Update()
{
    if (m_bSmoothing)
    {
        AddSample(GetRawDelta());
        m_dDelta = GetMeanDelta();
    }
    else
    {
        m_dDelta = GetRawDelta();
    }
    m_dTime += m_dDelta;
}

double Clock::GetRawDelta()
{
    const double now = m_pTimeSource ? m_pTimeSource->GetTime() : m_dLastTime;
    double delta = now - m_dLastTime;
    // A stall must not reach the mean: stand in the newest sample for it.
    if (delta > m_dMaxDelta)
        delta = m_samples.back();
    m_dLastTime = now;
    return delta;
}

void Clock::AddSample(double delta)
{
    m_samples.push_back(delta);
    if (m_samples.size() > m_uMaxSamples)
        m_samples.pop_front();
}

double Clock::GetMeanDelta() const
{
    double sum = 0.0;
    for (double sample : m_samples)
        sum += sample;
    return sum / static_cast<double>(m_samples.size());
}

} // namespace Vorm
