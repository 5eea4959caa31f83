#include "editor/CBitmapFreqKnob.h"

#include <cmath>

using VSTGUI::CBitmap0;

void CBitmapFreqKnob::Make(CRect& rect, CRect& redrawRect, CControlOwner* owner, CBitmap0* bitmap, float minValue,
                           float maxValue, unsigned int id, int frameCount, float minAngle, float maxAngle,
                           float minFreq, float maxFreq, int setting, signed char transparent,
                           ControlCallbackProc callback, void* user)
{
    // The arc must be known before the knob's Make centres the value through AngleFromValue.
    m_minFreq = minFreq;
    m_maxFreq = maxFreq;
    m_degreesPerDecade = 0.0f;
    if (minFreq > 0.0f && maxFreq > 0.0f && minFreq != maxFreq)
        m_degreesPerDecade = (maxAngle - minAngle) / (std::log10(maxFreq) - std::log10(minFreq));
    if (!std::isfinite(m_degreesPerDecade))
        m_degreesPerDecade = 0.0f;
    CBitmapKnob::Make(rect, redrawRect, owner, bitmap, minValue, maxValue, id, frameCount, minAngle, maxAngle, setting,
                      0, transparent, callback, user);
}

double CBitmapFreqKnob::AngleFromValue(float value) const
{
    if (m_degreesPerDecade == 0.0f)
        return m_minAngle;
    const float frequency = m_minFreq + (m_maxFreq - m_minFreq) * (value - m_min);
    if (!(frequency > 0.0f))
        return m_minAngle;
    return double(m_minAngle)
           + double(m_degreesPerDecade) * (std::log10(double(frequency)) - std::log10(double(m_minFreq)));
}

float CBitmapFreqKnob::ValueFromAngle(double angle) const
{
    if (m_degreesPerDecade == 0.0f)
        return m_min;
    const double decades = (angle - double(m_minAngle)) / double(m_degreesPerDecade) + std::log10(double(m_minFreq));
    const float frequency = float(std::pow(10.0, decades));
    return (frequency - m_minFreq) / (m_maxFreq - m_minFreq);
}

int CBitmapFreqKnob::FrameIndex() const
{
    // The picture follows the angle, not the value.
    if (m_maxAngle == m_minAngle)
        return 0;
    const double turned = (m_angle - double(m_minAngle)) / (double(m_maxAngle) - double(m_minAngle));
    const double value = (double(m_max) - double(m_min)) * turned + double(m_min);
    return FrameFromPosition((value - double(m_min)) / m_frameStep);
}
