#pragma once
// A switch of n states shown as n stacked frames (the time-mode indicator); with stepping,
// each release advances it by one state and wraps from the last to the first.
#include "editor/CBitmapSwitch.h"

class CStateBitmapSwitch : public CBitmapSwitch {
public:
    CStateBitmapSwitch() = default;

    // stateCount below 2 counts as 2.
    void Make(CRect& rect, CControlOwner* owner, VSTGUI::CBitmap0* bitmapUp, VSTGUI::CBitmap0* bitmapDown,
              signed char transparent, unsigned int id, CRect& redrawRect, signed char readOnly,
              ControlCallbackProc callback, void* user, int stateCount);

    void DrawControl(VSTGUI::CDrawContext* context) override;
    void LButtonDown(VSTGUI::CDrawContext* context) override;
    void LButtonUp(CPoint pt, VSTGUI::CDrawContext* context) override;

    // The frame that the current value shows.
    int FrameIndex() const;

    int m_stateCount = 2;
    bool m_stepping = true;
};
