#pragma once
// A two-look switch (power, filter on, program button): one bitmap for value 0 and one for
// any other value, each either one frame or two stacked frames (up, down). Latching switches
// toggle on press; momentary ones toggle back on release.
#include "editor/CControlBase.h"

class CBitmapSwitch : public CControlBase {
public:
    CBitmapSwitch() = default;

    void Make(CRect& rect, CControlOwner* owner, VSTGUI::CBitmap0* bitmapOff, VSTGUI::CBitmap0* bitmapOn,
              signed char transparent, unsigned int id, CRect& redrawRect, signed char readOnly,
              ControlCallbackProc callback, void* user, signed char momentary);
    // Drawn instead of the switch while it is disabled.
    void SetDisableBmp(VSTGUI::CBitmap0* bitmap) { m_disableBitmap = bitmap; }

    void SetValue(float value, VSTGUI::CDrawContext* context, signed char notify) override;
    using CControlBase::SetValue;
    void DrawControl(VSTGUI::CDrawContext* context) override;
    void LButtonDown(VSTGUI::CDrawContext* context) override;
    void LButtonUp(CPoint pt, VSTGUI::CDrawContext* context) override;
    void LButtonDblClk(VSTGUI::CDrawContext* context) override;
    void RButtonDown(VSTGUI::CDrawContext* context) override;
    void RButtonUp(VSTGUI::CDrawContext* context) override;
    void RButtonDblClk(VSTGUI::CDrawContext* context) override;
    bool IsTracking() override;
    virtual bool IsDown();

protected:
    // The disabled look; true when the switch is disabled (drawn or not).
    bool DrawDisabled(VSTGUI::CDrawContext* context);

    bool m_down = false;
    bool m_readOnly = false;
    bool m_momentary = false;
    VSTGUI::CBitmap0* m_bitmapOff = nullptr;
    VSTGUI::CBitmap0* m_bitmapOn = nullptr;
    VSTGUI::CBitmap0* m_disableBitmap = nullptr;
};
