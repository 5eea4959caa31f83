#include "editor/CStateBitmapSwitch.h"

#include "toolkit/CBitmap0.h"

using VSTGUI::CBitmap0;
using VSTGUI::CDrawContext;

void CStateBitmapSwitch::Make(CRect& rect, CControlOwner* owner, CBitmap0* bitmapUp, CBitmap0* bitmapDown,
                              signed char transparent, unsigned int id, CRect& redrawRect, signed char readOnly,
                              ControlCallbackProc callback, void* user, int stateCount)
{
    CBitmapSwitch::Make(rect, owner, bitmapUp, bitmapDown, transparent, id, redrawRect, readOnly, callback, user,
                        0);
    m_stateCount = stateCount < 2 ? 2 : stateCount;
}

int CStateBitmapSwitch::FrameIndex() const
{
    const float position = float(m_stateCount - 1) * m_value + 0.5f;
    if (!(position >= 0.0f))
        return 0; // below the first state, or not a number
    if (position >= float(m_stateCount))
        return m_stateCount - 1;
    return int(position);
}

void CStateBitmapSwitch::DrawControl(CDrawContext* context)
{
    if (DrawDisabled(context))
        return;
    CBitmap0* bitmap = m_down ? m_bitmapOn : m_bitmapOff;
    if (!bitmap)
        return;
    const int frameHeight = int(bitmap->getHeight()) / m_stateCount;
    const CRect dest(m_rect.left, m_rect.top, m_rect.left + int(bitmap->getWidth()), m_rect.top + frameHeight);
    DrawBitmap(bitmap, context, dest, CPoint(0, FrameIndex() * frameHeight));
}

void CStateBitmapSwitch::LButtonDown(CDrawContext* context)
{
    if (!m_enabled || m_readOnly)
        return;
    m_down = true;
    m_tracking = true;
    if (context)
        DrawControl(context);
}

void CStateBitmapSwitch::LButtonUp(CPoint, CDrawContext* context)
{
    if (!m_enabled || m_readOnly)
        return;
    m_tracking = false;
    if (m_stepping) {
        float next = float(double(m_value) + 1.0 / double(m_stateCount - 1));
        if (next > 1.0f)
            next = 0.0f; // from the last state back to the first
        SetValue(next, context, 1);
    } else {
        Notify(int(m_id), m_value, 0);
    }
    if (m_down) {
        m_down = false;
        if (context)
            DrawControl(context);
    }
}
