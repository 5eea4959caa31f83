#include "editor/CBitmapSwitch.h"

#include "toolkit/CBitmap0.h"

using VSTGUI::CBitmap0;
using VSTGUI::CDrawContext;

void CBitmapSwitch::Make(CRect& rect, CControlOwner* owner, CBitmap0* bitmapOff, CBitmap0* bitmapOn,
                         signed char transparent, unsigned int id, CRect& redrawRect, signed char readOnly,
                         ControlCallbackProc callback, void* user, signed char momentary)
{
    m_rect = rect;
    m_owner = owner;
    m_bitmapOff = bitmapOff;
    m_bitmapOn = bitmapOn;
    m_transparent = transparent != 0;
    m_id = id;
    m_redrawRect = redrawRect;
    m_readOnly = readOnly != 0;
    m_callback = callback;
    m_user = user;
    m_momentary = momentary != 0;
    m_value = 0.0f;
    m_down = false;
    m_enabled = true;
    m_disableBitmap = nullptr;
}

bool CBitmapSwitch::DrawDisabled(CDrawContext* context)
{
    if (m_enabled)
        return false;
    if (m_disableBitmap) {
        const int height = int(m_disableBitmap->getHeight());
        const int width = int(m_disableBitmap->getWidth());
        const CRect dest(m_rect.left, m_rect.top, m_rect.left + width,
                         m_rect.top + (m_transparent ? height / 2 : height));
        DrawBitmap(m_disableBitmap, context, dest, CPoint(0, 0));
    }
    return true;
}

void CBitmapSwitch::DrawControl(CDrawContext* context)
{
    if (DrawDisabled(context))
        return;
    CBitmap0* bitmap = m_value == 0.0f ? m_bitmapOff : m_bitmapOn;
    if (!bitmap)
        return;
    const int height = int(bitmap->getHeight());
    int frameHeight = height / 2;
    if (m_rect.Height() == height) {
        // A single picture: there is no pressed look to show.
        frameHeight = height;
        m_down = false;
    }
    const CRect dest(m_rect.left, m_rect.top, m_rect.left + int(bitmap->getWidth()), m_rect.top + frameHeight);
    DrawBitmap(bitmap, context, dest, CPoint(0, m_down ? frameHeight : 0));
}

void CBitmapSwitch::SetValue(float value, CDrawContext* context, signed char notify)
{
    if (!m_enabled || value == m_value)
        return;
    m_value = value;
    if (context)
        DrawControl(context);
    if (notify && context)
        Notify(int(m_id), m_value, 0);
}

void CBitmapSwitch::LButtonDown(CDrawContext* context)
{
    if (!m_enabled || m_readOnly)
        return;
    m_down = true;
    m_tracking = true;
    if (!context)
        return;
    DrawControl(context);
    SetValue(m_value == 0.0f ? 1.0f : 0.0f, context, 1);
}

void CBitmapSwitch::LButtonUp(CPoint, CDrawContext* context)
{
    if (!m_enabled || m_readOnly)
        return;
    m_tracking = false;
    if (!m_down)
        return;
    m_down = false;
    if (!context)
        return;
    DrawControl(context);
    if (m_momentary)
        SetValue(m_value == 0.0f ? 1.0f : 0.0f, context, 1);
}

void CBitmapSwitch::LButtonDblClk(CDrawContext* context) { LButtonDown(context); }

void CBitmapSwitch::RButtonDown(CDrawContext* context) { LButtonDown(context); }

void CBitmapSwitch::RButtonUp(CDrawContext* context)
{
    if (!m_enabled || m_readOnly || !m_down)
        return;
    m_down = false;
    DrawControl(context);
}

void CBitmapSwitch::RButtonDblClk(CDrawContext* context) { RButtonDown(context); }

bool CBitmapSwitch::IsTracking() { return m_tracking; }

bool CBitmapSwitch::IsDown() { return m_down; }
