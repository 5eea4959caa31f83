#pragma once
// Sine oscillator as a rotating phasor: one complex rotation per sample instead of
// a sine, its magnitude renormalised every R + 2 steps.
#include <cmath>
#include <cstdint>

#include "dsp/SampleGuards.h"

class LFO {
public:
    LFO() = default;

    void SetFreq(double f, double fs) { SetFreq(f / fs); }
    void SetFreq(double phi);
    void mute();
    void SetRCount(long n)
    {
        if (n > 0) m_r = n;
    }

    // Next sample, starting at sin(0) after mute().
    double Process()
    {
        const double v = m_s;
        const double c = kdsp::ZeroIfNotFinite(m_c * m_cos - m_s * m_sin);
        const double s = kdsp::ZeroIfNotFinite(m_s * m_cos + m_c * m_sin);
        m_c = c;
        m_s = s;
        const int64_t k0 = m_k;
        m_k = k0 + 1;
        if (k0 > m_r) Renormalise();
        return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
    }

    // Step until the output reaches the target (upwards for target >= 0, downwards
    // below 0); MoveNextPoint with the directions exchanged. Both give up after one
    // period and return whether the target was reached. Targets outside -1..1 are ignored.
    bool Move(double target);
    bool MoveNextPoint(double target);
    // The previous value of the Move family (or the next sample when there is none).
    double GetCurVal();

    double GetFreq() const { return m_phi; }
    double GetLastValue() const { return m_last; }

private:
    friend class PairedLFO;

    void Renormalise();
    bool StepUntil(double target, bool rising);
    int64_t StepsInOnePeriod() const;

    static constexpr double kNone = -10.0;

    // A frequency of 0 until the first SetFreq: the phasor stands still.
    double m_phi = 0.0;
    double m_c = 1.0, m_s = 0.0;
    double m_cos = 1.0, m_sin = 0.0;
    double m_last = kNone;
    int64_t m_r = 10000;
    int64_t m_k = 0;
};
