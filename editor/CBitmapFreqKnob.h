#pragma once
// A knob for a filter frequency: the value stays the linear fraction of the frequency range
// while the angle is logarithmic in Hz, so each decade takes the same share of the arc. The
// picture follows the angle.
#include "editor/CBitmapKnob.h"

class CBitmapFreqKnob : public CBitmapKnob {
public:
    CBitmapFreqKnob() = default;

    // Both frequencies must be above 0 and differ for the logarithmic arc; otherwise the
    // knob stays at its minimum angle.
    void Make(CRect& rect, CRect& redrawRect, CControlOwner* owner, VSTGUI::CBitmap0* bitmap, float minValue,
              float maxValue, unsigned int id, int frameCount, float minAngle, float maxAngle, float minFreq,
              float maxFreq, int setting, signed char transparent, ControlCallbackProc callback, void* user);

    int FrameIndex() const override;

protected:
    double AngleFromValue(float value) const override;
    float ValueFromAngle(double angle) const override;

    float m_minFreq = 20.0f;
    float m_maxFreq = 20000.0f;
    // Degrees per decade, in single precision.
    float m_degreesPerDecade = 0.0f;
};
