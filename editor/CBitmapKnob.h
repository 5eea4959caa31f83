#pragma once
// A rotary knob drawn from a vertical strip of frames, its angle measured clockwise from
// straight down between the minimum and maximum angle. Circular mode (the default): a drag
// turns the knob by as much as the pointer turns around its centre (a tenth with Shift held),
// from wherever it was grabbed; SetValue(CPoint) is the absolute law (the pointer's own angle,
// with end stops that do not jump across the dead zone at the bottom). Vertical-drag mode
// maps 200 pixels of vertical travel onto the whole arc, with the pointer hidden and put back
// where it was on release.
#include "editor/CControlBase.h"

class CBitmapKnob : public CControlBase {
public:
    CBitmapKnob() = default;

    void Make(CRect& rect, CRect& redrawRect, CControlOwner* owner, VSTGUI::CBitmap0* bitmap, float minValue,
              float maxValue, unsigned int id, int frameCount, float minAngle, float maxAngle, int setting,
              signed char logarithmic, signed char transparent, ControlCallbackProc callback, void* user);
    // Nonzero: circular (the default); 0: vertical drag.
    void SetDragMode(int mode) { m_dragMode = mode; }
    // Fine steps (Shift held) for the moves that follow.
    void SetFineDrag(bool fine) override { m_fine = fine; }

    void SetValue(float value, VSTGUI::CDrawContext* context, signed char notify) override;
    bool SetValue(CPoint pt) override;
    bool PtInControl(CPoint pt) override;
    void DrawControl(VSTGUI::CDrawContext* context) override;
    void LButtonUp(CPoint pt, VSTGUI::CDrawContext* context) override;
    // Back to the reference parameter's default; the release that ends the double-click
    // keeps it.
    void LButtonDblClk(VSTGUI::CDrawContext* context) override;
    void MouseMove(CPoint pt, VSTGUI::CDrawContext* context) override;
    bool IsTracking() override;
    bool UpdateAtDirty(VSTGUI::CDrawContext* context) override;
    // One frame of the strip per notch along the arc, a tenth of that when fine.
    bool MouseWheel(CPoint pt, float distance, signed char fine, VSTGUI::CDrawContext* context) override;
    // The vertical-drag law.
    virtual bool SetValueVirtial(CPoint pt);

    double GetAngle() const { return m_angle; }
    // The strip frame the knob shows now.
    virtual int FrameIndex() const;

protected:
    // The pointer angle of the circular law, end-stop rules applied and clamped; false when
    // the point is the centre (nothing changes).
    bool CircularAngle(CPoint pt, double& angle) const;
    double ClampAngle(double angle) const;
    // The two laws between value and angle.
    virtual double AngleFromValue(float value) const;
    virtual float ValueFromAngle(double angle) const;
    // Stores value and angle from a pointer or wheel and reports it.
    void TakeAngle(double angle);
    int FrameFromPosition(double position) const;
    void EndDrag();
    // The pointer's angle around the centre, 0 to 360; false on the centre.
    bool PointerAngle(CPoint pt, double& angle) const;
    // Turns the knob by the pointer's turn since the last step.
    void DragTo(CPoint pt);

    VSTGUI::CBitmap0* m_bitmap = nullptr;
    float m_min = 0.0f;
    float m_max = 1.0f;
    float m_minAngle = 30.0f;
    float m_maxAngle = 330.0f;
    int m_setting = 0;
    double m_angle = 0.0;
    float m_lastValue = 0.0f;
    double m_frameStep = 1.0;
    int m_frameCount = 2;
    bool m_logarithmic = false;
    int m_dragMode = 1;
    double m_dragStartAngle = 0.0;
    CPoint m_dragStart;
    int m_savedCursorX = 0;
    int m_savedCursorY = 0;
    bool m_cursorSaved = false;
    bool m_cursorHidden = false;
    // Set by a double-click: moves and the release leave the default alone.
    bool m_holdDefault = false;
    // The pointer angle of the last drag step, when there was one off the centre.
    double m_grabAngle = 0.0;
    bool m_hasGrab = false;
    bool m_fine = false;
};
