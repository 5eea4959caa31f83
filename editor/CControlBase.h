#pragma once
// The base of the panel's own controls (knobs, switches, indicator, text displays). They are
// embedded by value in the main view, which forwards pointer events to them:
//   press:   every control with PtInControl(pt) gets LButtonDown (LButtonDblClk with the
//            double-click flag); knobs start their drag inside PtInControl itself;
//   move:    every control with IsTracking() gets MouseMove;
//   release: only controls with IsTracking() get LButtonUp, so a drag that began elsewhere
//            leaves the control under the release point alone (HitTest, not PtInControl,
//            is the side-effect-free test for such checks);
//   wheel:   MouseWheel, which each control accepts only over its own rectangle;
//   idle:    UpdateAtDirty on every control.
// A control reports a change through one plain callback; kind is 0 for the pointer or a
// program change, 1 for a value typed into a text display.
#include "port/Geometry.h"

struct ParamData;
class CControlOwner;
namespace VSTGUI {
class CBitmap0;
class CDrawContext;
}

typedef signed char (*ControlCallbackProc)(int id, float value, void* user, int kind);

class CControlBase {
public:
    CControlBase() = default;
    CControlBase(const CControlBase&) = delete;
    CControlBase& operator=(const CControlBase&) = delete;

    virtual void SetReferenceParam(ParamData* param);
    virtual void SetValue(float value, VSTGUI::CDrawContext* context, signed char notify);
    virtual bool SetValue(CPoint pt);
    virtual bool PtInControl(CPoint pt);
    virtual void DrawControl(VSTGUI::CDrawContext* context);
    virtual void LButtonDown(VSTGUI::CDrawContext* context);
    virtual void LButtonUp(CPoint pt, VSTGUI::CDrawContext* context);
    virtual void LButtonDblClk(VSTGUI::CDrawContext* context);
    virtual void RButtonDown(VSTGUI::CDrawContext* context);
    virtual void RButtonUp(VSTGUI::CDrawContext* context);
    virtual void RButtonDblClk(VSTGUI::CDrawContext* context);
    virtual void MouseMove(CPoint pt, VSTGUI::CDrawContext* context);
    virtual bool IsTracking();
    // Takes the reference parameter's normalised value when it differs; true when it did.
    virtual bool UpdateAtDirty(VSTGUI::CDrawContext* context);
    virtual void HideEdit();
    virtual void UpdateDraw(VSTGUI::CDrawContext* context);
    // One wheel notch per unit of distance (positive turns up); fine is the Shift gesture.
    // The context may be null. True when the control used the wheel.
    virtual bool MouseWheel(CPoint pt, float distance, signed char fine, VSTGUI::CDrawContext* context);

    // Shift held during a drag: controls that can take fine steps do (knobs).
    virtual void SetFineDrag(bool) {}

    // The control rectangle test alone, without starting a drag.
    bool HitTest(CPoint pt) const { return m_rect.PtInRect(pt); }
    const CRect& GetRect() const { return m_rect; }
    float GetValue() const { return m_value; }
    ParamData* GetReferenceParam() const { return m_param; }

    // State the main view reads and writes directly (id and enabled by the time-mode
    // switching, edit kind when closing edits).
    float m_value = 0.0f;
    bool m_enabled = true;
    unsigned int m_id = 0;
    CRect m_redrawRect;
    CRect m_rect;
    bool m_transparent = false;
    bool m_tracking = false;
    CControlOwner* m_owner = nullptr;
    ControlCallbackProc m_callback = nullptr;
    void* m_user = nullptr;
    ParamData* m_param = nullptr;
    int m_editKind = 2;

protected:
    ~CControlBase() = default;

    // Draws bitmap at dest with source offset src, masking opaque black for transparent
    // controls, at alpha / 255 opacity. No context or no bitmap draws nothing.
    void DrawBitmap(VSTGUI::CBitmap0* bitmap, VSTGUI::CDrawContext* context, const CRect& dest, CPoint src,
                    unsigned char alpha = 255) const;

    // The opacity of a control that does nothing in the current mode (disabled): dimmed.
    static constexpr unsigned char kDimmedAlpha = 90;
    void Invalidate(CRect rect) const;
    void InvalidateRedrawRect() const;
    void Notify(int id, float value, int kind) const;
};
