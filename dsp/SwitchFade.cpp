#include "dsp/SwitchFade.h"

#include <algorithm>
#include <cstring>

void CSwitchFade::SetLength(int frames)
{
    frames = std::max(frames, 1);
    if (frames == m_length) return;
    m_length = frames;
    Settle(m_on);
}

void CSwitchFade::Settle(bool on)
{
    m_on = on;
    m_pos = on ? m_length : 0;
}

void CSwitchFade::Blend(const double* offL, const double* offR, double* onL, double* onR, int n)
{
    const int step = m_on ? 1 : -1;
    int i = 0;
    for (; i < n && !IsAtRest(); ++i) {
        m_pos += step;
        // Smoothstep: the gain starts and ends with zero slope, so the fade adds no kink.
        const double t = static_cast<double>(m_pos) / m_length; // exactly 1 at the end
        const double g = t * t * (3.0 - 2.0 * t);
        onL[i] = offL[i] * (1.0 - g) + onL[i] * g;
        onR[i] = offR[i] * (1.0 - g) + onR[i] * g;
    }
    if (!m_on && i < n) {
        std::memcpy(onL + i, offL + i, sizeof(double) * static_cast<size_t>(n - i));
        std::memcpy(onR + i, offR + i, sizeof(double) * static_cast<size_t>(n - i));
    }
}
