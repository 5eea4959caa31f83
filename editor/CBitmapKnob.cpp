#include "editor/CBitmapKnob.h"

#include "editor/CControlOwner.h"
#include "editor/GlobalCursor.h"
#include "effect/ParamData.h"
#include "port/UiServices.h"
#include "toolkit/CBitmap0.h"

#include <cmath>

using VSTGUI::CBitmap0;
using VSTGUI::CDrawContext;

namespace {
// The value no knob holds, so that the first SetValue after Make always takes effect.
constexpr float kNoValue = 65535.0f;
} // namespace

void CBitmapKnob::Make(CRect& rect, CRect& redrawRect, CControlOwner* owner, CBitmap0* bitmap, float minValue,
                       float maxValue, unsigned int id, int frameCount, float minAngle, float maxAngle, int setting,
                       signed char logarithmic, signed char transparent, ControlCallbackProc callback, void* user)
{
    m_rect = rect;
    m_redrawRect = redrawRect;
    m_owner = owner;
    m_bitmap = bitmap;
    m_min = minValue;
    m_max = maxValue;
    m_id = id;
    m_frameCount = frameCount < 2 ? 2 : frameCount;
    m_minAngle = minAngle;
    m_maxAngle = maxAngle;
    m_setting = setting;
    m_logarithmic = logarithmic != 0;
    m_transparent = transparent != 0;
    m_enabled = true;
    m_callback = nullptr;
    m_value = kNoValue;
    m_lastValue = kNoValue;
    SetValue(minValue + 0.5f * (maxValue - minValue), nullptr, 0);
    m_frameStep = (double(maxValue) - double(minValue)) / double(m_frameCount - 1);
    m_tracking = false;
    m_callback = callback;
    m_user = user;
}

double CBitmapKnob::AngleFromValue(float value) const
{
    if (m_max == m_min)
        return m_minAngle;
    return double(m_minAngle)
           + (double(m_maxAngle) - double(m_minAngle)) * (double(value) - double(m_min))
                 / (double(m_max) - double(m_min));
}

float CBitmapKnob::ValueFromAngle(double angle) const
{
    if (m_maxAngle == m_minAngle)
        return m_min;
    const double span = double(m_max) - double(m_min);
    const double turned = angle - double(m_minAngle);
    const double arc = double(m_maxAngle) - double(m_minAngle);
    if (m_logarithmic)
        return float(double(m_min) + span * (std::pow(10.0, turned / arc) - 1.0) / 9.0);
    return float(double(m_min) + turned * span / arc);
}

void CBitmapKnob::SetValue(float value, CDrawContext* context, signed char notify)
{
    if (value > m_max)
        value = m_max;
    else if (value < m_min)
        value = m_min;
    else if (value != value)
        value = m_min; // not a number: the knob rests at its minimum
    if (value == m_value)
        return;
    m_value = value;
    m_angle = AngleFromValue(value);
    m_lastValue = value;
    if (notify)
        Notify(int(m_id), value, 0);
    if (context)
        UpdateDraw(context);
    InvalidateRedrawRect();
}

double CBitmapKnob::ClampAngle(double angle) const
{
    if (angle < m_minAngle)
        return m_minAngle;
    if (angle > m_maxAngle)
        return m_maxAngle;
    return angle;
}

bool CBitmapKnob::CircularAngle(CPoint pt, double& angle) const
{
    const int dx = pt.x - m_rect.left;
    const int dy = pt.y - m_rect.top;
    const int cx = m_rect.Width() / 2;
    const int cy = m_rect.Height() / 2;
    const int x = dx - cx;
    const int y = dy - cy;
    if (x == 0 && y == 0)
        return false;
    // Degrees clockwise from straight down. A knob resting at an end stop keeps it while the
    // pointer crosses to the other half, so it never jumps across the dead zone.
    double a;
    if (x == 0) {
        if (m_lastValue == m_max)
            a = m_maxAngle;
        else if (m_lastValue == m_min)
            a = m_minAngle;
        else
            a = y < 0 ? 180.0 : 0.0;
    } else if (x > 0) {
        if (m_lastValue == m_min)
            a = m_minAngle;
        else
            a = std::atan2(double(x), double(y)) * -180.0 / 3.141592653 + 360.0;
    } else {
        if (m_lastValue == m_max)
            a = m_maxAngle;
        else
            a = std::atan2(double(x), double(y)) * -180.0 / 3.141592653;
    }
    angle = ClampAngle(a);
    return true;
}

void CBitmapKnob::TakeAngle(double angle)
{
    const float value = ValueFromAngle(angle);
    m_value = value;
    m_angle = angle;
    m_lastValue = value;
    InvalidateRedrawRect();
    // Every pointer step is reported, changed or not.
    Notify(int(m_id), value, 0);
}

bool CBitmapKnob::SetValue(CPoint pt)
{
    if (m_dragMode == 0)
        return SetValueVirtial(pt);
    double angle = 0.0;
    if (CircularAngle(pt, angle))
        TakeAngle(angle);
    return true;
}

bool CBitmapKnob::SetValueVirtial(CPoint pt)
{
    if (pt.y == m_dragStart.y)
        return true;
    const double travel = double(pt.y) - double(m_dragStart.y);
    TakeAngle(ClampAngle((double(m_maxAngle) - double(m_minAngle)) * travel / -200.0 + m_dragStartAngle));
    return true;
}

bool CBitmapKnob::PointerAngle(CPoint pt, double& angle) const
{
    const int x = pt.x - m_rect.left - m_rect.Width() / 2;
    const int y = pt.y - m_rect.top - m_rect.Height() / 2;
    if (x == 0 && y == 0)
        return false;
    angle = std::atan2(double(x), double(y)) * -180.0 / 3.141592653;
    if (angle < 0.0)
        angle += 360.0;
    return true;
}

void CBitmapKnob::DragTo(CPoint pt)
{
    double pointer = 0.0;
    if (!PointerAngle(pt, pointer))
        return;
    if (!m_hasGrab) {
        m_grabAngle = pointer;
        m_hasGrab = true;
        return;
    }
    // The knob turns by the pointer's turn around its centre since the last step (a tenth of
    // it with Shift): a press alone changes nothing, the knob never jumps to the pointer, and
    // a knob at an end turns back from wherever it is grabbed.
    double turn = pointer - m_grabAngle;
    if (turn > 180.0)
        turn -= 360.0;
    else if (turn <= -180.0)
        turn += 360.0;
    m_grabAngle = pointer;
    if (turn == 0.0)
        return;
    const double angle = ClampAngle(m_angle + turn * (m_fine ? 0.1 : 1.0));
    if (angle != m_angle)
        TakeAngle(angle);
}

bool CBitmapKnob::PtInControl(CPoint pt)
{
    if (!HitTest(pt))
        return false;
    const bool wasTracking = m_tracking;
    m_tracking = true;
    if (!wasTracking) {
        m_holdDefault = false;
        m_hasGrab = PointerAngle(pt, m_grabAngle);
    }
    if (m_dragMode == 0) {
        m_dragStartAngle = m_angle;
        m_dragStart = pt;
        if (!wasTracking) {
            m_cursorSaved =
                GetGlobalCursorPos(m_owner ? m_owner->GetFrame() : nullptr, m_savedCursorX, m_savedCursorY);
            HideCursorCocoa();
            m_cursorHidden = true;
        }
    }
    return true;
}

void CBitmapKnob::EndDrag()
{
    if (m_cursorSaved)
        SetGlobalCursorPos(m_owner ? m_owner->GetFrame() : nullptr, m_savedCursorX, m_savedCursorY);
    if (m_cursorHidden)
        ShowCursorCocoa();
    m_cursorSaved = false;
    m_cursorHidden = false;
}

void CBitmapKnob::MouseMove(CPoint pt, CDrawContext* context)
{
    if (!m_tracking || m_holdDefault)
        return;
    if (m_dragMode == 0)
        SetValueVirtial(pt);
    else
        DragTo(pt);
    UpdateDraw(context);
}

void CBitmapKnob::LButtonUp(CPoint pt, CDrawContext* context)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    if (!m_holdDefault) {
        if (m_dragMode == 0)
            SetValueVirtial(pt);
        else
            DragTo(pt);
    }
    m_holdDefault = false;
    m_hasGrab = false;
    EndDrag();
    m_lastValue = -1.0f;
    UpdateDraw(context);
}

void CBitmapKnob::LButtonDblClk(CDrawContext* context)
{
    if (!m_param)
        return;
    const float value = m_param->NormDefault();
    m_param->Store(value);
    m_value = value;
    m_lastValue = value;
    m_angle = AngleFromValue(value);
    InvalidateRedrawRect();
    Notify(int(m_id), value, 0);
    // The press that made the double-click also started a drag; its moves and release must
    // not turn the knob away from the default again.
    m_holdDefault = m_tracking;
    UpdateDraw(context);
}

bool CBitmapKnob::IsTracking() { return m_tracking; }

bool CBitmapKnob::UpdateAtDirty(CDrawContext* context)
{
    if (!m_param)
        return false;
    const float current = m_param->Load();
    if (current == m_value)
        return false;
    SetValue(current, context, 0);
    return true;
}

bool CBitmapKnob::MouseWheel(CPoint pt, float distance, signed char fine, CDrawContext* context)
{
    if (!HitTest(pt) || distance == 0.0f || distance != distance)
        return false;
    double step = (double(m_maxAngle) - double(m_minAngle)) / double(m_frameCount - 1);
    if (fine)
        step *= 0.1;
    TakeAngle(ClampAngle(m_angle + step * double(distance)));
    if (context)
        UpdateDraw(context);
    else
        Invalidate(m_rect);
    return true;
}

int CBitmapKnob::FrameFromPosition(double position) const
{
    if (!std::isfinite(position))
        return 0;
    const double frame = std::floor(position + 0.5);
    if (frame < 0.0)
        return 0;
    if (frame > double(m_frameCount - 1))
        return m_frameCount - 1;
    return int(frame);
}

int CBitmapKnob::FrameIndex() const
{
    const double offset = double(m_value) - double(m_min);
    if (m_logarithmic)
        return FrameFromPosition(std::log10(offset / (double(m_max) - double(m_min)) * 9.0 + 1.0) / m_frameStep);
    return FrameFromPosition(offset / m_frameStep);
}

void CBitmapKnob::DrawControl(CDrawContext* context)
{
    const int height = m_rect.Height();
    // A disabled knob (the time knob in HOST mode) still shows its value, dimmed: it takes
    // no drag.
    DrawBitmap(m_bitmap, context, m_rect, CPoint(0, FrameIndex() * height), m_enabled ? 255 : kDimmedAlpha);
}
