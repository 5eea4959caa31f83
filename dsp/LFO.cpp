#include "dsp/LFO.h"

#include <algorithm>

namespace {
constexpr double kTwoPi = 6.283185307179586;
// Upper bound on the steps of one Move call, for frequencies so low that one
// period would take hours of stepping.
constexpr double kMaxMoveSteps = 4294967296.0;
} // namespace

void LFO::SetFreq(double phi)
{
    m_phi = phi;
    m_last = kNone;
    m_cos = std::cos(phi * kTwoPi);
    m_sin = std::sin(phi * kTwoPi);
}

void LFO::mute()
{
    m_c = 1.0;
    m_s = 0.0;
    m_k = 0;
    m_last = kNone;
}

void LFO::Renormalise()
{
    m_k = 0;
    const double rho = kdsp::ZeroIfNotFinite(std::sqrt(m_c * m_c + m_s * m_s));
    // A dead phasor (rho 0) would turn into NaN here; it stays at 0 instead.
    m_c = kdsp::ZeroIfNotFinite(m_c / rho);
    m_s = kdsp::ZeroIfNotFinite(m_s / rho);
}

int64_t LFO::StepsInOnePeriod() const
{
    // Standing still (or broken), the oscillator can only ever give one new value.
    if (m_phi == 0.0 || !std::isfinite(m_phi)) return 1;
    const double period = std::min(std::fabs(1.0 / m_phi), kMaxMoveSteps);
    return static_cast<int64_t>(std::ceil(period)) + 1;
}

bool LFO::StepUntil(double target, bool rising)
{
    if (!(target >= -1.0 && target <= 1.0)) return false;
    const int64_t limit = StepsInOnePeriod();
    for (int64_t n = 0; n < limit; ++n) {
        const double v = Process();
        m_last = v;
        if (rising ? v >= target : v <= target) return true;
    }
    return false;
}

bool LFO::Move(double target) { return StepUntil(target, target >= 0.0); }

bool LFO::MoveNextPoint(double target) { return StepUntil(target, target < 0.0); }

double LFO::GetCurVal()
{
    const double p = m_last;
    const double v = Process();
    if (p == kNone) return v;
    m_last = v;
    return p;
}
