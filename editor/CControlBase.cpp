#include "editor/CControlBase.h"

#include "editor/CControlOwner.h"
#include "effect/ParamData.h"
#include "toolkit/CBitmap0.h"

using VSTGUI::CBitmap0;
using VSTGUI::CDrawContext;

void CControlBase::SetReferenceParam(ParamData* param) { m_param = param; }

void CControlBase::SetValue(float, CDrawContext*, signed char) {}

bool CControlBase::SetValue(CPoint) { return true; }

bool CControlBase::PtInControl(CPoint pt) { return HitTest(pt); }

void CControlBase::DrawControl(CDrawContext*) {}

void CControlBase::LButtonDown(CDrawContext*) {}

void CControlBase::LButtonUp(CPoint, CDrawContext*) {}

void CControlBase::LButtonDblClk(CDrawContext* context) { LButtonDown(context); }

void CControlBase::RButtonDown(CDrawContext*) {}

void CControlBase::RButtonUp(CDrawContext*) {}

void CControlBase::RButtonDblClk(CDrawContext*) {}

void CControlBase::MouseMove(CPoint, CDrawContext*) {}

bool CControlBase::IsTracking() { return false; }

bool CControlBase::UpdateAtDirty(CDrawContext* context)
{
    if (!m_param)
        return false;
    const float current = m_param->Load();
    if (current == m_value)
        return false;
    m_value = current;
    UpdateDraw(context);
    return true;
}

void CControlBase::HideEdit() {}

void CControlBase::UpdateDraw(CDrawContext* context)
{
    if (m_transparent)
        Invalidate(m_rect);
    else
        DrawControl(context);
}

bool CControlBase::MouseWheel(CPoint, float, signed char, CDrawContext*) { return false; }

void CControlBase::DrawBitmap(CBitmap0* bitmap, CDrawContext* context, const CRect& dest, CPoint src,
                              unsigned char alpha) const
{
    if (!bitmap || !context)
        return;
    const VSTGUI::CRect0 destination(dest.left, dest.top, dest.right, dest.bottom);
    const VSTGUI::CPoint0 offset(src.x, src.y);
    if (!m_transparent) {
        bitmap->drawAlphaBlend(context, destination, offset, alpha);
        return;
    }
    // Opaque black is the mask colour of the panel's bitmaps without alpha.
    if (!(bitmap->getTransparentColor() == VSTGUI::kBlackCColor))
        bitmap->setTransparentColor(VSTGUI::kBlackCColor);
    if (alpha == 255)
        bitmap->drawTransparent(context, destination, offset);
    else
        bitmap->drawAlphaBlend(context, destination, offset, alpha); // the mask is in place now
}

void CControlBase::Invalidate(CRect rect) const
{
    if (m_owner)
        m_owner->InvalidateRect(&rect, true);
}

void CControlBase::InvalidateRedrawRect() const
{
    if (!m_redrawRect.IsRectEmpty())
        Invalidate(m_redrawRect);
}

void CControlBase::Notify(int id, float value, int kind) const
{
    if (m_callback)
        m_callback(id, value, m_user, kind);
}
